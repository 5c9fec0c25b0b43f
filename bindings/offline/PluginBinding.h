#pragma once
// The offline module's binding, as the plug-in class sees it.
#include "IEffectOffline.h"

using PluginBinding = IEffectOffline;

// Defined by the plug-in: builds one plug-in object.
PluginBinding* CreatePlugin(PluginBinding::InstanceInfo info);
