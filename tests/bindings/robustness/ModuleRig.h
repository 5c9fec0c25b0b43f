#pragma once
// Instances of the built modules for the robustness tests, made through their
// real exports with the host harness, and the buffers a host hands them.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Vst2Host.h"
#include "Vst3Host.h"

// A VST2 instance after VSTPluginMain only; null when it cannot be made.
std::unique_ptr<Vst2Instance> NewVst2();
// effOpen, rate, block size, mains on.
std::unique_ptr<Vst2Instance> ReadyVst2(double rate, int block);

// One VST3 instance as a host holds it: the component and the interfaces a
// host queries, created but not initialised.
struct Vst3Rig {
  Vst3Rig();
  ~Vst3Rig();  // terminates and releases whatever is still held
  bool Ok() const { return comp && proc && ctrl; }
  bool Initialize();
  bool Setup(double rate, int block, int sampleSize = vst3::kSample32);
  // One block, 32 or 64 bit by the type; in may alias out.
  template <class T>
  vst3::tresult Run(T** in, T** out, int frames, vst3::IParameterChanges* changes = nullptr);
  // Terminates and releases every interface; returns what the last release
  // of the component answered (0: the object is gone).
  vst3::uint32 Close();

  std::shared_ptr<Vst3Module> module;
  Vst3HostApplication app{"Velto robustness"};
  Vst3ComponentHandler handler;
  vst3::IComponent* comp = nullptr;
  vst3::IAudioProcessor* proc = nullptr;
  vst3::IEditController* ctrl = nullptr;
};

// Stereo host buffers of one sample type, optionally starting `offset`
// samples into their storage (buffers that are not 16-byte aligned).
template <class T>
struct HostBlock {
  HostBlock(int frames, int offset = 0, T fill = T(0))
      : storage{std::vector<T>(frames + offset + 1, fill), std::vector<T>(frames + offset + 1, fill)},
        ptrs{storage[0].data() + offset, storage[1].data() + offset},
        frames(frames) {}
  std::vector<T> storage[2];
  T* ptrs[2];
  int frames;
  bool Finite() const {
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < frames; ++i)
        if (!std::isfinite(static_cast<double>(ptrs[c][i]))) return false;
    return true;
  }
  double Rms(int from = 0) const {
    double s = 0.0;
    for (int i = from; i < frames; ++i) s += static_cast<double>(ptrs[0][i]) * ptrs[0][i];
    return frames > from ? std::sqrt(s / (frames - from)) : 0.0;
  }
};
