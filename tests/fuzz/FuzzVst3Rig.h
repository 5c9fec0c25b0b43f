#pragma once
// One VST3 plug-in object in the fuzzer's own process, made by the module's
// own GetPluginFactory and reached through the interfaces a host uses. The
// object itself is at hand for the invariants.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzChecks.h"
#include "Velto.h"
#include "Vst3Host.h"

extern "C" vst3::IPluginFactory* GetPluginFactory();

// A host stream that hands out its bytes in pieces and, when asked to, lies
// about them: counts beyond what was asked, negative counts, or an error
// part-way.
class FuzzStream : public Vst3HostObject<vst3::IBStream> {
 public:
  enum Lie { kHonest, kOverCount, kNegativeCount, kErrorAfterFirst };
  FuzzStream(const uint8_t* data, size_t size, int piece, Lie lie)
      : bytes_(data, data + size), piece_(piece), lie_(lie) {}

  vst3::tresult VST3_API read(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesRead) override {
    if (numBytes < 0 || (!buffer && numBytes > 0)) return vst3::kInvalidArgument;
    if (lie_ == kErrorAfterFirst && reads_ > 0) return vst3::kResultFalse;
    ++reads_;
    size_t n = std::min(static_cast<size_t>(numBytes), bytes_.size() - pos_);
    if (piece_ > 0) n = std::min(n, static_cast<size_t>(piece_));
    if (n) std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    if (numBytesRead) {
      *numBytesRead = static_cast<vst3::int32>(n);
      if (lie_ == kOverCount) *numBytesRead = numBytes + 1000;
      if (lie_ == kNegativeCount && n == 0) *numBytesRead = -1;
    }
    return vst3::kResultOk;
  }
  vst3::tresult VST3_API write(void*, vst3::int32, vst3::int32*) override { return vst3::kResultFalse; }
  vst3::tresult VST3_API seek(vst3::int64, vst3::int32, vst3::int64*) override { return vst3::kResultFalse; }
  vst3::tresult VST3_API tell(vst3::int64* pos) override {
    if (pos) *pos = static_cast<vst3::int64>(pos_);
    return vst3::kResultOk;
  }

 private:
  std::vector<uint8_t> bytes_;
  size_t pos_ = 0;
  int piece_ = 0;
  Lie lie_ = kHonest;
  int reads_ = 0;
};

class FuzzVst3Rig {
 public:
  static constexpr int kFrames = 8;

  FuzzVst3Rig() {
    VeltoRandomSeed::UseFixedSeed(1);
    vst3::IPluginFactory* factory = GetPluginFactory();
    vst3::PClassInfo info{};
    factory->getClassInfo(0, &info);
    void* obj = nullptr;
    factory->createInstance(info.cid, vst3::IComponent::iid.bytes, &obj);
    factory->release();
    comp_ = static_cast<vst3::IComponent*>(obj);
    fuzzcheck::Require(comp_ != nullptr, "no instance");
    comp_->initialize(&app_);
    comp_->queryInterface(vst3::IAudioProcessor::iid.bytes, reinterpret_cast<void**>(&proc_));
    comp_->queryInterface(vst3::IEditController::iid.bytes, reinterpret_cast<void**>(&ctrl_));
    fx_ = static_cast<IEffectVST3*>(proc_);
    vst3::ProcessSetup setup{vst3::kRealtime, vst3::kSample32, 64, 48000.0};
    proc_->setupProcessing(setup);
    comp_->setActive(1);
    proc_->setProcessing(1);
    Vst3ParamChanges changes;
    changes.Add(IEffectVST3::kPresetParamId, 2.5 / 20.0);
    Process(&changes);
    Vst3MemoryStream saved;
    ctrl_->getControllerState(&saved);
    good_ = saved.Bytes();
  }
  ~FuzzVst3Rig() {
    proc_->setProcessing(0);
    comp_->setActive(0);
    comp_->terminate();
    ctrl_->release();
    proc_->release();
    comp_->release();
  }

  vst3::IComponent* Component() { return comp_; }
  vst3::IEditController* Controller() { return ctrl_; }
  IEffectBase& Object() { return *fx_; }

  // One block of the test signal; the output must be finite.
  void Process(vst3::IParameterChanges* changes = nullptr) {
    float l[kFrames], r[kFrames], ol[kFrames], orr[kFrames];
    fuzzcheck::FillTestBlock(l, r, kFrames);
    float* in[] = {l, r};
    float* out[] = {ol, orr};
    vst3::AudioBusBuffers inBus{}, outBus{};
    inBus.numChannels = outBus.numChannels = 2;
    inBus.channelBuffers32 = in;
    outBus.channelBuffers32 = out;
    vst3::ProcessData data{};
    data.symbolicSampleSize = vst3::kSample32;
    data.numSamples = kFrames;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    data.inputParameterChanges = changes;
    proc_->process(data);
    fuzzcheck::AllFinite(ol, kFrames, "left output not finite");
    fuzzcheck::AllFinite(orr, kFrames, "right output not finite");
  }

  // Parameters in range inside and as the host reads them, finite audio, and
  // the known good state loads and reads back byte for byte.
  void CheckAll() {
    fuzzcheck::ParamsInRange(*fx_);
    for (vst3::int32 i = 0; i < ctrl_->getParameterCount(); ++i) {
      vst3::ParameterInfo info{};
      ctrl_->getParameterInfo(i, info);
      const double v = ctrl_->getParamNormalized(info.id);
      fuzzcheck::Require(v >= 0.0 && v <= 1.0, "host reads a parameter outside 0..1", i, v);
    }
    Process();
    Vst3MemoryStream good(good_);
    fuzzcheck::Require(ctrl_->setControllerState(&good) == vst3::kResultOk, "good state refused");
    Vst3MemoryStream back;
    ctrl_->getControllerState(&back);
    fuzzcheck::Require(back.Bytes() == good_, "good state did not round-trip");
  }

 private:
  Vst3HostApplication app_{"Velto fuzz"};
  vst3::IComponent* comp_ = nullptr;
  vst3::IAudioProcessor* proc_ = nullptr;
  vst3::IEditController* ctrl_ = nullptr;
  IEffectVST3* fx_ = nullptr;
  std::vector<uint8_t> good_;
};
