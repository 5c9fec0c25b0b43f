// The one place a module creates its plug-in object.
#include "Velto.h"

PluginBinding* CreatePlugin(PluginBinding::InstanceInfo info) { return new Velto(info); }
