#pragma once
// The CLAP module's binding, as the plug-in class sees it.
#include "IEffectCLAP.h"

using PluginBinding = IEffectCLAP;

// Defined by the plug-in: builds one plug-in object. [creation lock held]
PluginBinding* CreatePlugin(PluginBinding::InstanceInfo info);
