#pragma once
// The VST2 module's binding, as the plug-in class sees it.
#include "IEffectVST.h"

using PluginBinding = IEffectVST;

// Defined by the plug-in: builds one plug-in object.
PluginBinding* CreatePlugin(PluginBinding::InstanceInfo info);
