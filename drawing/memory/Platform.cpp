#include "PIX_Platform.h"

bool IsRunningUnderWine() { return false; }
