// Hosts that do it wrong, through the modules' real exports: calls before
// set-up, twice, out of order, after terminate; blocks of 0, 1, a prime and
// more than announced, in buffers that are not 16-byte aligned; every rate
// from 8 to 384 kHz with every parameter at a random extreme and NaN,
// infinity, denormals and 1e30 in the input. Nothing crashes, the output
// stays finite, and once the input is sane again so is the output.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ModuleRig.h"

using namespace vst3;

namespace {
constexpr int kMix = 15;

// Test input: a chord; its first `poisoned` samples are strewn with NaN,
// infinity, denormals and 1e30.
template <class T>
void FillInput(HostBlock<T>& b, int start, int poisoned = 0) {
  for (int i = 0; i < b.frames; ++i) {
    const int t = start + i;
    for (int c = 0; c < 2; ++c) {
      double x = 0.4 * std::sin(0.03 * t + c) + 0.2 * std::sin(0.17 * t);
      if (t % 5 == 0 && t < poisoned) {
        const double bad[] = {std::nan(""), std::numeric_limits<double>::infinity(), -1e30, 4.9e-324, 1e-310};
        x = bad[(t / 5) % 5];
      }
      b.ptrs[c][i] = static_cast<T>(x);
    }
  }
}

struct Lcg {
  unsigned s;
  unsigned Next() { return s = s * 1664525u + 1013904223u; }
  float Extreme() { return (Next() >> 9) & 1 ? 1.0f : 0.0f; }
};

const double kRates[] = {8000.0, 11025.0, 22050.0, 44100.0, 88200.0, 176400.0, 352800.0, 384000.0};
}  // namespace

TEST(HostileVst2, CallsBeforeSetUpTwiceAndOutOfOrderAreHarmless) {
  auto plug = NewVst2();
  ASSERT_TRUE(plug);
  HostBlock<float> in(256, 0, 0.3f), out(256, 0, 9.0f);
  HostBlock<double> din(256, 0, 0.3), dout(256, 0, 9.0);
  // Before effOpen, rate or block size.
  plug->ProcessReplacing(in.ptrs, out.ptrs, 256);
  plug->ProcessDouble(din.ptrs, dout.ptrs, 256);
  EXPECT_TRUE(out.Finite() && dout.Finite());
  // Twice, and in the wrong order.
  plug->Dispatch(vst2::effMainsChanged, 0, 1);
  plug->Dispatch(vst2::effOpen);
  plug->Dispatch(vst2::effOpen);
  plug->Dispatch(vst2::effMainsChanged, 0, 1);
  plug->Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 96000.0f);  // while running
  plug->Dispatch(vst2::effSetBlockSize, 0, 64);
  plug->ProcessReplacing(in.ptrs, out.ptrs, 256);
  EXPECT_TRUE(out.Finite());
  for (float rate : {0.0f, -44100.0f, std::nanf(""), 1e30f, 3.0f}) {
    plug->Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, rate);
    plug->Dispatch(vst2::effMainsChanged, 0, 0);
    plug->Dispatch(vst2::effMainsChanged, 0, 1);
    plug->ProcessReplacing(in.ptrs, out.ptrs, 256);
    EXPECT_TRUE(out.Finite()) << rate;
  }
  for (intptr_t block : {0, -5, 1, 1 << 30}) {
    plug->Dispatch(vst2::effSetBlockSize, 0, block);
    plug->ProcessDouble(din.ptrs, dout.ptrs, 256);
    EXPECT_TRUE(dout.Finite()) << block;
  }
  plug->Dispatch(vst2::effMainsChanged, 0, 0);
  plug->ProcessReplacing(in.ptrs, out.ptrs, 256);  // after suspend
  EXPECT_TRUE(out.Finite());
  plug->Dispatch(vst2::effMainsChanged, 0, 0);
  plug->Close();
}

TEST(HostileVst2, OddBlocksInUnalignedBuffersGiveWhatAlignedOnesGive) {
  // Mix 0: the output is the delayed, high-passed input, the same for every
  // instance; the wet path (and its per-instance hiss) is multiplied away.
  auto aligned = ReadyVst2(44100.0, 64);
  auto shifted = ReadyVst2(44100.0, 64);
  ASSERT_TRUE(aligned && shifted);
  aligned->SetParameter(kMix, 0.0f);
  shifted->SetParameter(kMix, 0.0f);
  int t = 0;
  for (int frames : {0, 1, 997, 64, 4099, 1, 2}) {
    HostBlock<float> inA(frames), outA(frames), inB(frames, 1), outB(frames, 3);
    FillInput(inA, t);
    FillInput(inB, t);
    aligned->ProcessReplacing(inA.ptrs, outA.ptrs, frames);
    shifted->ProcessReplacing(inB.ptrs, outB.ptrs, frames);
    for (int i = 0; i < frames; ++i) ASSERT_EQ(outA.ptrs[1][i], outB.ptrs[1][i]) << frames << " " << i;
    HostBlock<double> dinA(frames), doutA(frames), dinB(frames, 1), doutB(frames, 1);
    FillInput(dinA, t);
    FillInput(dinB, t);
    aligned->ProcessDouble(dinA.ptrs, doutA.ptrs, frames);
    shifted->ProcessDouble(dinB.ptrs, doutB.ptrs, frames);
    for (int i = 0; i < frames; ++i) ASSERT_EQ(doutA.ptrs[0][i], doutB.ptrs[0][i]) << frames << " " << i;
    t += frames;
  }
}

TEST(HostileVst2, GarbageAtEveryRateWithParametersAtRandomExtremesStaysFiniteAndRecovers) {
  Lcg random{2024};
  for (double rate : kRates) {
    auto poisoned = ReadyVst2(rate, 512);
    auto clean = ReadyVst2(rate, 512);
    ASSERT_TRUE(poisoned && clean);
    for (int p = 0; p < 21; ++p) {
      const float v = random.Extreme();
      poisoned->SetParameter(p, v);
      clean->SetParameter(p, v);
    }
    const int blocks = static_cast<int>(rate * 0.75) / 512;
    double rmsPoisoned = 0.0, rmsClean = 0.0;
    for (int b = 0; b < blocks; ++b) {
      HostBlock<float> inP(512), inC(512), outP(512), outC(512);
      FillInput(inP, b * 512, static_cast<int>(rate * 0.1));
      FillInput(inC, b * 512);
      poisoned->ProcessReplacing(inP.ptrs, outP.ptrs, 512);
      clean->ProcessReplacing(inC.ptrs, outC.ptrs, 512);
      ASSERT_TRUE(outP.Finite()) << rate << " block " << b;
      if (b >= blocks - 8) {
        rmsPoisoned += outP.Rms();
        rmsClean += outC.Rms();
      }
    }
    // Back to normal: the last blocks carry the level the clean twin has.
    EXPECT_NEAR(rmsPoisoned, rmsClean, 0.06 * rmsClean + 1e-6) << rate;
  }
}

TEST(HostileVst3, CallsBeforeSetUpTwiceOutOfOrderAndAfterTerminateAreHarmless) {
  Vst3Rig rig;
  ASSERT_TRUE(rig.Ok());
  HostBlock<float> in(256, 0, 0.3f), out(256, 0, 9.0f);
  // Before initialize and set-up.
  rig.Run(in.ptrs, out.ptrs, 256);
  EXPECT_TRUE(out.Finite());
  rig.comp->setActive(1);
  ASSERT_TRUE(rig.Initialize());
  EXPECT_NE(rig.comp->initialize(&rig.app), kResultOk + 99);  // twice: either answer, no harm
  rig.Run(in.ptrs, out.ptrs, 256);  // initialised, not set up
  EXPECT_TRUE(out.Finite());
  ASSERT_TRUE(rig.Setup(48000.0, 128));
  rig.comp->setActive(1);
  rig.comp->setActive(1);
  rig.Setup(96000.0, 32);  // while active
  rig.proc->setProcessing(1);
  rig.proc->setProcessing(1);
  rig.Run(in.ptrs, out.ptrs, 256);  // more than announced
  EXPECT_TRUE(out.Finite());
  for (double rate : {0.0, -1.0, std::nan(""), 1e300, 3.0}) {
    rig.Setup(rate, 128);
    rig.Run(in.ptrs, out.ptrs, 256);
    EXPECT_TRUE(out.Finite()) << rate;
  }
  rig.comp->setActive(0);
  rig.Run(in.ptrs, out.ptrs, 256);  // while inactive
  EXPECT_TRUE(out.Finite());
  // After terminate: every call answers, nothing crashes.
  rig.comp->terminate();
  rig.comp->terminate();
  rig.Run(in.ptrs, out.ptrs, 256);
  Vst3MemoryStream state;
  rig.ctrl->getControllerState(&state);
  Vst3MemoryStream back(state.Bytes());
  rig.ctrl->setControllerState(&back);
  rig.ctrl->getParamNormalized(3);
  rig.ctrl->setParamNormalized(3, 0.5);
  rig.comp->setActive(1);
  rig.Setup(44100.0, 64);
  rig.Run(in.ptrs, out.ptrs, 64);
  EXPECT_TRUE(out.Finite());
  rig.comp->setActive(0);
  EXPECT_EQ(rig.Close(), 0u);
  EXPECT_EQ(rig.app.References(), 0);
  EXPECT_EQ(rig.handler.References(), 0);
}

TEST(HostileVst3, GarbageAtEveryRateInOddUnalignedBlocksStaysFiniteAndRecovers) {
  Lcg random{77};
  for (double rate : kRates) {
    Vst3Rig poisoned, clean;
    ASSERT_TRUE(poisoned.Initialize() && clean.Initialize());
    ASSERT_TRUE(poisoned.Setup(rate, 256, kSample64) && clean.Setup(rate, 256, kSample64));
    poisoned.comp->setActive(1);
    clean.comp->setActive(1);
    Vst3ParamChanges extremes;
    for (int p = 0; p < 21; ++p) extremes.Add(static_cast<ParamID>(p), random.Extreme());
    const int blockSizes[] = {997, 1, 0, 256, 1021, 13};
    const int total = static_cast<int>(rate * 0.75);
    double rmsPoisoned = 0.0, rmsClean = 0.0;
    for (int t = 0, k = 0; t < total; ++k) {
      const int frames = std::min(blockSizes[k % 6], total - t);
      HostBlock<double> inP(frames, 1), outP(frames, 1), inC(frames), outC(frames);
      FillInput(inP, t, static_cast<int>(rate * 0.1));
      FillInput(inC, t);
      poisoned.Run(inP.ptrs, outP.ptrs, frames, k == 0 ? &extremes : nullptr);
      clean.Run(inC.ptrs, outC.ptrs, frames, k == 0 ? &extremes : nullptr);
      ASSERT_TRUE(outP.Finite()) << rate << " at " << t;
      if (t >= total - static_cast<int>(rate * 0.1)) {
        rmsPoisoned += outP.Rms() * frames;
        rmsClean += outC.Rms() * frames;
      }
      t += frames;
    }
    EXPECT_NEAR(rmsPoisoned, rmsClean, 0.06 * rmsClean + 1e-6) << rate;
    poisoned.comp->setActive(0);
    clean.comp->setActive(0);
  }
}
