#pragma once
// Helpers of the module tests: the built module, instances made through its
// real exports, and audio buffers. Everything reaches the plug-in only
// through the AEffect, as a host does.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Vst2Host.h"

// Parameter indices of the plug-in, as hosts address them.
namespace vp {
constexpr int kInGain = 0;
constexpr int kOutGain = 1;
constexpr int kDrive = 2;
constexpr int kHighFreq = 4;
constexpr int kHPON = 8;
constexpr int kHPQ = 12;
constexpr int kBypass = 14;
constexpr int kMix = 15;
constexpr int kMeterScale = 16;
constexpr int kModel = 20;
constexpr int kDeclared = 21;  // what the AEffect announces
constexpr int kStored = 20;    // values in a program chunk
constexpr int kPresets = 20;
}  // namespace vp

// The module under test, loaded once for the whole run.
std::shared_ptr<Vst2Module> TestModule();

// A new instance, right after VSTPluginMain; null (and a failed check) when it cannot be made.
std::unique_ptr<Vst2Instance> NewInstance(const Vst2HostScript& script = {}, bool legacy = false);
// effOpen, rate, block size, mains on: ready to process.
std::unique_ptr<Vst2Instance> ReadyInstance(double rate = 48000.0, int block = 512);

// The bytes effGetChunk hands out (index 0 bank, else program); empty on failure.
std::vector<uint8_t> GetChunk(Vst2Instance& plug, int index);
intptr_t SetChunk(Vst2Instance& plug, int index, const std::vector<uint8_t>& bytes);
// All declared parameters as the host reads them.
std::vector<float> ReadParams(Vst2Instance& plug);
double ChunkDouble(const std::vector<uint8_t>& bytes, size_t offset);

// Stereo test signals, deterministic.
struct StereoSignal {
  std::vector<float> left, right;
};
StereoSignal TestSignal(int frames, unsigned seed = 1);

// Host-side stereo buffers for the three process calls.
struct FloatBlock {
  explicit FloatBlock(int frames, float fill = 0.0f)
      : data{std::vector<float>(frames, fill), std::vector<float>(frames, fill)},
        ptrs{data[0].data(), data[1].data()} {}
  std::vector<float> data[2];
  float* ptrs[2];
};
struct DoubleBlock {
  explicit DoubleBlock(int frames, double fill = 0.0)
      : data{std::vector<double>(frames, fill), std::vector<double>(frames, fill)},
        ptrs{data[0].data(), data[1].data()} {}
  std::vector<double> data[2];
  double* ptrs[2];
};

bool AllFinite(const std::vector<float>& v);
bool AllZero(const std::vector<float>& v);
