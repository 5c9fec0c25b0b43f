#include "PIX_Draw.h"

void PIX_Fill(PIX_IBitmap*, int, int, int, int, uint32_t, float, int) {}
void PIX_Blit(PIX_IBitmap*, PIX_IBitmap*, int, int, const PIX_Rect*, float, int) {}
void PIX_Line(PIX_IBitmap*, int, int, int, int, uint32_t, float, int, bool) {}
