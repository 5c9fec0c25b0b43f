#pragma once
// Command line of velto-render.

#include <string>
#include <utility>
#include <vector>

enum class SampleFormat { kAsInput, kFloat, kPcm24, kPcm16 };

struct RenderOptions {
  std::string input;   // empty: the built-in example
  std::string output;
  std::string module;  // empty: the built-in plug-in through the offline binding
  std::string preset;  // name or slot number; empty: slot 0
  std::vector<std::pair<std::string, std::string>> sets;  // PARAM=VALUE in order
  bool listPresets = false;
  bool listParams = false;
  bool quiet = false;
  bool help = false;
  int block = 512;
  double sampleRate = 44100.0;
  bool sampleRateGiven = false;
  bool seedGiven = false;
  unsigned seed = 0;
  SampleFormat format = SampleFormat::kAsInput;
  std::string type;  // output container by name (--type); empty: from OUTPUT's extension
  bool compensateLatency = true;
  std::string snapshot;  // --snapshot FILE.png: the editor painted after processing
};

// Parses argv[1..]. On a usage error returns false with a message. INPUT and
// OUTPUT may be "-" for standard input and output.
bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions* options, std::string* error);

const char* RenderUsage();
