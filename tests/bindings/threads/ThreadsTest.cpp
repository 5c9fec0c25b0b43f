// Both modules, through their real exports, with the threads a host runs at
// once: the audio thread processing, a host thread automating every
// parameter, a user-interface thread saving and loading state and switching
// programs. Each side does a fixed amount of work; the audio thread runs
// until the others are done. Built with ThreadSanitizer by the linux-tsan
// preset, where any race is a report (and a failed run); everywhere a
// deadlock ends the run after the test's time limit.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "Vst2Host.h"
#include "Vst3Host.h"

using namespace vst3;

namespace {
constexpr int kBlock = 128;
constexpr int kRounds = 300;  // per control thread
constexpr int kParams = 21;

bool Finite(const std::vector<float>& v) {
  for (float x : v)
    if (!std::isfinite(x)) return false;
  return true;
}
}  // namespace

TEST(Threads, Vst2AudioAutomationStateAndProgramsAtOnce) {
  std::string error;
  auto module = Vst2Module::Open(VELTO_VST2_MODULE, &error);
  ASSERT_TRUE(module) << error;
  auto plug = Vst2Instance::Create(module, &error);
  ASSERT_TRUE(plug) << error;
  plug->Dispatch(vst2::effOpen);
  plug->Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
  plug->Dispatch(vst2::effSetBlockSize, 0, kBlock);
  plug->Dispatch(vst2::effMainsChanged, 0, 1);

  std::atomic<int> controlsDone(0), nonFinite(0), blocks(0);
  std::thread audio([&] {
    std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
    for (int i = 0; i < kBlock; ++i) inL[i] = inR[i] = static_cast<float>(0.5 * std::sin(0.05 * i));
    float* in[] = {inL.data(), inR.data()};
    float* out[] = {outL.data(), outR.data()};
    while (controlsDone.load() < 2) {
      plug->ProcessReplacing(in, out, kBlock);
      if (!Finite(outL) || !Finite(outR)) ++nonFinite;
      ++blocks;
    }
  });
  std::thread automation([&] {
    for (int r = 0; r < kRounds; ++r)
      for (int p = 0; p < kParams; ++p) {
        plug->SetParameter(p, static_cast<float>((r * 7 + p * 3) % 11) / 10.0f);
        plug->GetParameter(p);
      }
    ++controlsDone;
  });
  std::thread ui([&] {
    for (int r = 0; r < kRounds; ++r) {
      void* data = nullptr;
      const intptr_t size = plug->Dispatch(vst2::effGetChunk, r % 2, 0, &data);
      std::vector<uint8_t> copy;
      if (size > 0 && data) copy.assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
      plug->Dispatch(vst2::effSetProgram, 0, r % 20);
      if (!copy.empty()) plug->Dispatch(vst2::effSetChunk, r % 2, static_cast<intptr_t>(copy.size()), copy.data());
      char name[64] = {};
      plug->Dispatch(vst2::effGetProgramName, 0, 0, name);
      plug->Dispatch(vst2::effGetParamDisplay, r % kParams, 0, name);
    }
    ++controlsDone;
  });
  automation.join();
  ui.join();
  audio.join();
  EXPECT_EQ(nonFinite.load(), 0);
  EXPECT_GT(blocks.load(), 0);
}

TEST(Threads, Vst3AudioAutomationStateAndProgramsAtOnce) {
  std::string error;
  auto module = Vst3Module::Load(VELTO_VST3_BUNDLE, &error);
  ASSERT_TRUE(module) << error;
  IPluginFactory* factory = module->Factory();
  ASSERT_TRUE(factory);
  PClassInfo info{};
  ASSERT_EQ(factory->getClassInfo(0, &info), kResultOk);
  void* obj = nullptr;
  ASSERT_EQ(factory->createInstance(info.cid, IComponent::iid.bytes, &obj), kResultOk);
  factory->release();
  auto* comp = static_cast<IComponent*>(obj);
  Vst3HostApplication app;
  Vst3ComponentHandler handler;
  IAudioProcessor* proc = nullptr;
  IEditController* ctrl = nullptr;
  ASSERT_EQ(comp->initialize(&app), kResultOk);
  comp->queryInterface(IAudioProcessor::iid.bytes, reinterpret_cast<void**>(&proc));
  comp->queryInterface(IEditController::iid.bytes, reinterpret_cast<void**>(&ctrl));
  ASSERT_TRUE(proc && ctrl);
  ctrl->setComponentHandler(&handler);
  ProcessSetup setup{kRealtime, kSample32, kBlock, 48000.0};
  ASSERT_EQ(proc->setupProcessing(setup), kResultOk);
  comp->setActive(1);
  proc->setProcessing(1);

  std::atomic<int> controlsDone(0), nonFinite(0), blocks(0);
  std::thread audio([&] {
    std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
    for (int i = 0; i < kBlock; ++i) inL[i] = inR[i] = static_cast<float>(0.5 * std::sin(0.05 * i));
    float* in[] = {inL.data(), inR.data()};
    float* out[] = {outL.data(), outR.data()};
    AudioBusBuffers inBus{}, outBus{};
    inBus.numChannels = outBus.numChannels = 2;
    inBus.channelBuffers32 = in;
    outBus.channelBuffers32 = out;
    for (int n = 0; controlsDone.load() < 2; ++n) {
      // The host's automation reaches the audio side through the queue:
      // every parameter, the bypass and now and then a program.
      Vst3ParamChanges changes;
      for (int p = 0; p < kParams; ++p) changes.Add(static_cast<ParamID>(p), ((n + p) % 9) / 8.0);
      changes.Add(0x62706173 /* bypass */, n % 7 == 0 ? 1.0 : 0.0);
      if (n % 5 == 0) changes.Add(0x70727374 /* program */, ((n / 5) % 20 + 0.5) / 20.0);
      ProcessData data{};
      data.symbolicSampleSize = kSample32;
      data.numSamples = kBlock;
      data.numInputs = data.numOutputs = 1;
      data.inputs = &inBus;
      data.outputs = &outBus;
      data.inputParameterChanges = &changes;
      proc->process(data);
      if (!Finite(outL) || !Finite(outR)) ++nonFinite;
      ++blocks;
    }
  });
  std::thread automation([&] {
    // The host's controller side follows the automation too.
    for (int r = 0; r < kRounds; ++r)
      for (int p = 0; p < kParams; ++p) {
        ctrl->setParamNormalized(static_cast<ParamID>(p), ((r + p) % 5) / 4.0);
        ctrl->getParamNormalized(static_cast<ParamID>(p));
        String128 text = {};
        ctrl->getParamStringByValue(static_cast<ParamID>(p), 0.5, text);
      }
    ++controlsDone;
  });
  std::thread ui([&] {
    for (int r = 0; r < kRounds; ++r) {
      Vst3MemoryStream saved;
      ctrl->getControllerState(&saved);
      Vst3MemoryStream again(saved.Bytes());
      ctrl->setControllerState(&again);
      ctrl->setParamNormalized(0x70727374, ((r % 20) + 0.5) / 20.0);
    }
    ++controlsDone;
  });
  automation.join();
  ui.join();
  audio.join();
  EXPECT_EQ(nonFinite.load(), 0);
  EXPECT_GT(blocks.load(), 0);

  proc->setProcessing(0);
  comp->setActive(0);
  ctrl->setComponentHandler(nullptr);
  comp->terminate();
  ctrl->release();
  proc->release();
  EXPECT_EQ(comp->release(), 0u);
  EXPECT_EQ(app.References(), 0);
  EXPECT_EQ(handler.References(), 0);
}
