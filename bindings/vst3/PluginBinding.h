#pragma once
// The VST3 module's binding, as the plug-in class sees it.
#include "IEffectVST3.h"

using PluginBinding = IEffectVST3;

// Defined by the plug-in: builds one plug-in object. [creation lock held]
PluginBinding* CreatePlugin(PluginBinding::InstanceInfo info);
