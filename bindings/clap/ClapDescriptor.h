#pragma once
// The one plug-in this module offers.
#include "clap/clap.h"

constexpr const char* kVeltoClapId = "com.oxb-audio.velto";

const clap_plugin_descriptor_t* VeltoClapDescriptor();
