#pragma once
// Records exchanged between the framework and the bindings.

#include <cstdint>

// Host transport, filled by a binding from its host's time information.
struct ITimeInfo {
  double tempo = 0.0;
  double samplePos = 0.0;
  double ppqPos = 0.0;
  double lastBar = 0.0;
  double cycleStart = 0.0;
  double cycleEnd = 0.0;
  int numerator = 4;
  int denominator = 4;
  bool transportIsRunning = false;
  bool transportLoopEnabled = false;
};

// A short MIDI message at a sample offset within the block.
struct IMidiMsg {
  int offset = 0;
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;
};

// A system-exclusive message; data is borrowed from the host for the call.
struct ISysEx {
  int offset = 0;
  const uint8_t* data = nullptr;
  int size = 0;
};
