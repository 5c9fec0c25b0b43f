#pragma once
// One VST2 plug-in object in the fuzzer's own process, reached through its
// AEffect record (dispatcher, process calls) the way a host reaches it, with
// a silent host callback. The object itself is at hand for the invariants.

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzChecks.h"
#include "Velto.h"

class FuzzVst2Rig {
 public:
  static constexpr int kFrames = 8;

  FuzzVst2Rig() {
    VeltoRandomSeed::UseFixedSeed(1);
    fx_ = static_cast<IEffectVST*>(CreatePlugin(IEffectVST::InstanceInfo{&FuzzVst2Rig::Host}));
    effect_ = fx_->GetAEffect();
    Dispatch(vst2::effOpen);
    Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Dispatch(vst2::effSetBlockSize, 0, 64);
    Dispatch(vst2::effMainsChanged, 0, 1);
    Dispatch(vst2::effSetProgram, 0, 2);
    goodProgram_ = Chunk(1);
    goodBank_ = Chunk(0);
  }
  ~FuzzVst2Rig() { Dispatch(vst2::effClose); }  // the object deletes itself

  vst2::VstIntPtr Dispatch(int opcode, int index = 0, vst2::VstIntPtr value = 0, void* ptr = nullptr,
                           float opt = 0.0f) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
  }
  IEffectBase& Object() { return *fx_; }

  // A copy of what effGetChunk hands out (0 bank, 1 program).
  std::vector<uint8_t> Chunk(int index) {
    void* data = nullptr;
    const vst2::VstIntPtr size = Dispatch(vst2::effGetChunk, index, 0, &data);
    fuzzcheck::Require(size > 0 && data, "no chunk");
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
  }
  vst2::VstIntPtr SetChunk(int index, const uint8_t* data, size_t size) {
    std::vector<uint8_t> copy(data, data + size);  // the host's buffer, exactly this long
    return Dispatch(vst2::effSetChunk, index, static_cast<vst2::VstIntPtr>(copy.size()), copy.data());
  }

  // The invariants: parameters in range, what the host reads in 0..1, finite
  // audio, and the known good program (and bank, when the input may have
  // changed the presets) loads again.
  void CheckAll(bool presetsTouched) {
    fuzzcheck::ParamsInRange(*fx_);
    for (int i = 0; i < effect_->numParams; ++i) {
      const float v = effect_->getParameter(effect_, i);
      fuzzcheck::Require(v >= 0.0f && v <= 1.0f, "host reads a parameter outside 0..1", i, v);
    }
    float l[kFrames], r[kFrames], ol[kFrames], orr[kFrames];
    fuzzcheck::FillTestBlock(l, r, kFrames);
    float* in[] = {l, r};
    float* out[] = {ol, orr};
    effect_->processReplacing(effect_, in, out, kFrames);
    fuzzcheck::AllFinite(ol, kFrames, "left output not finite");
    fuzzcheck::AllFinite(orr, kFrames, "right output not finite");

    if (presetsTouched)
      fuzzcheck::Require(SetChunk(0, goodBank_.data(), goodBank_.size()) == 1, "good bank refused");
    fuzzcheck::Require(SetChunk(1, goodProgram_.data(), goodProgram_.size()) == 1, "good program refused");
    fuzzcheck::Require(Chunk(1) == goodProgram_, "good program did not round-trip");
  }

 private:
  static vst2::VstIntPtr VSTCALLBACK Host(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32,
                                          vst2::VstIntPtr, void*, float) {
    return opcode == vst2::audioMasterVersion ? 2400 : 0;
  }

  IEffectVST* fx_ = nullptr;
  vst2::AEffect* effect_ = nullptr;
  std::vector<uint8_t> goodProgram_, goodBank_;
};
