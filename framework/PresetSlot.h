#pragma once
#include "StateChunk.h"

// One preset: a name and, once initialised, the stored state bytes.
struct PresetSlot {
  static constexpr int kNameSize = 256;
  bool initialized = false;
  char name[kNameSize] = "empty";
  StateChunk state;
};
