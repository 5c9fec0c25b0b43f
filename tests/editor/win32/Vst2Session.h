#pragma once
// An instance of the VST2 module made through its real exports, set up as a
// host sets it up (open, 44.1 kHz, 512-frame blocks), and optionally its
// editor open in a host window of its own.

#include <memory>

#include "HostWindow.h"
#include "Vst2Host.h"

// A set-up instance; null (with a failed check) when the module or the
// instance cannot be made.
std::unique_ptr<Vst2Instance> NewVst2Instance();

struct Vst2Session {
  // played: run the golden pictures' chord through it before opening the editor.
  explicit Vst2Session(bool played = false);
  // Closes the editor when it is still open.
  ~Vst2Session();

  HostWindow host;
  std::unique_ptr<Vst2Instance> plug;
  HWND editor = nullptr;  // null when the instance or its editor did not open
};
