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

#include "ModuleRig.h"

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
  auto plug = ReadyVst2(48000.0, kBlock);
  ASSERT_TRUE(plug);

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
  Vst3Rig rig;
  ASSERT_TRUE(rig.Initialize());
  ASSERT_TRUE(rig.Setup(48000.0, kBlock));
  IAudioProcessor* proc = rig.proc;
  IEditController* ctrl = rig.ctrl;
  rig.comp->setActive(1);
  proc->setProcessing(1);

  std::atomic<int> controlsDone(0), nonFinite(0), blocks(0);
  std::thread audio([&] {
    std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
    for (int i = 0; i < kBlock; ++i) inL[i] = inR[i] = static_cast<float>(0.5 * std::sin(0.05 * i));
    float* in[] = {inL.data(), inR.data()};
    float* out[] = {outL.data(), outR.data()};
    for (int n = 0; controlsDone.load() < 2; ++n) {
      // The host's automation reaches the audio side through the queue:
      // every parameter, the bypass and now and then a program.
      Vst3ParamChanges changes;
      for (int p = 0; p < kParams; ++p) changes.Add(static_cast<ParamID>(p), ((n + p) % 9) / 8.0);
      changes.Add(0x62706173 /* bypass */, n % 7 == 0 ? 1.0 : 0.0);
      if (n % 5 == 0) changes.Add(0x70727374 /* program */, ((n / 5) % 20 + 0.5) / 20.0);
      rig.Run(in, out, kBlock, &changes);
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
  rig.comp->setActive(0);
  EXPECT_EQ(rig.Close(), 0u);
  EXPECT_EQ(rig.app.References(), 0);
  EXPECT_EQ(rig.handler.References(), 0);
}
