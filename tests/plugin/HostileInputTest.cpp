// What hosts may throw at the chain: absurd sample values, rates nothing is
// designed for, every parameter at its extremes. Output stays finite and
// comes back to what a clean instance gives.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "AllocationCounter.h"
#include "VeltoRig.h"

namespace {
double MaxDiff(const std::vector<double>& a, const std::vector<double>& b, size_t from, size_t to) {
  double d = 0.0;
  for (size_t i = from; i < to; ++i) d = std::max(d, std::fabs(a[i] - b[i]));
  return d;
}
bool AllFinite(const std::vector<double>& v) {
  for (double x : v)
    if (!std::isfinite(x)) return false;
  return true;
}
}  // namespace

TEST(InputCeiling, AHugeBurstIsForgottenWithinHalfASecondAtEveryRate) {
  // Ten samples at 1e30 once left the output near 2e13 for the rest of a file.
  for (double rate : {44100.0, 96000.0, 192000.0}) {
    for (double burst : {1e30, -1e300, DBL_MAX}) {
      VeltoRig poisoned(rate, 512, 5), clean(rate, 512, 5);
      const int at = static_cast<int>(rate * 0.1), n = at + static_cast<int>(rate * 0.8);
      std::vector<double> in = Sine(440.0, rate, n, 0.5);
      const std::vector<double> plain = in;
      for (int i = at; i < at + 10; ++i) in[i] = burst;
      poisoned.Run(in, in);
      clean.Run(plain, plain);
      EXPECT_TRUE(AllFinite(poisoned.outL) && AllFinite(poisoned.outR)) << rate;
      const size_t settled = at + static_cast<size_t>(rate * 0.5);
      EXPECT_LT(MaxDiff(poisoned.outL, clean.outL, settled, n), 0.01) << rate << " " << burst;
      EXPECT_LT(MaxDiff(poisoned.outR, clean.outR, settled, n), 0.01) << rate << " " << burst;
      EXPECT_EQ(poisoned.fx->Recoveries(), 0);  // the ceiling alone keeps the chain sane
    }
  }
}

TEST(InputCeiling, LimitsOnlyWhatLiesBeyondIt) {
  // Dry path only: the output is the input 31 samples late, limited to +-64.
  VeltoRig rig;
  rig.Set(kMix, 0.0);
  rig.Set(kHPON, 0);
  rig.SettleFade();
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<double> in = {63.9, -64.0, 64.5, -1000.0, 1e300, inf, -inf, std::nan(""), 4.9e-324, -0.25};
  const std::vector<double> expected = {63.9, -64.0, 64.0, -64.0, 64.0, 0.0, 0.0, 0.0, 4.9e-324, -0.25};
  std::vector<double> padded = in;
  padded.resize(in.size() + Velto::kLatencySamples, 0.0);
  rig.Run(padded, padded);
  for (size_t i = 0; i < in.size(); ++i) {
    // Denormals are flushed on their way through the block's FP mode.
    const double want = std::fabs(expected[i]) < DBL_MIN ? 0.0 : expected[i];
    EXPECT_EQ(std::fabs(rig.outL[i + Velto::kLatencySamples]) < DBL_MIN ? 0.0 : rig.outL[i + Velto::kLatencySamples],
              want)
        << i;
  }
}

TEST(SampleRates, OutsideTheDesignedRangeTheInputPassesThroughUnprocessed) {
  // 5 Hz and below once wrote NaN and infinity; far above, the filters fold.
  for (double rate : {0.5, 5.0, 4000.0, 7999.0, 768001.0, 2e6}) {
    VeltoRig rig(rate, 256, 3);
    EXPECT_FALSE(rig.fx->Processing()) << rate;
    EXPECT_EQ(rig.fx->GetParam(kHighFreq)->Max(), 22050.0) << rate;  // the range stays a real one
    const std::vector<double> in = Noise(3000, 0.7, 8);
    rig.Run(in, in);
    for (int i = 0; i < 3000; ++i) ASSERT_EQ(rig.outL[i], i < 31 ? 0.0 : in[i - 31]) << rate << " " << i;
  }
  for (double rate : {8000.0, 768000.0}) {
    VeltoRig rig(rate);
    EXPECT_TRUE(rig.fx->Processing()) << rate;
  }
}

TEST(SampleRates, BackAtASupportedRateTheChainRunsAgain) {
  VeltoRig rig(3.0);
  rig.fx->Prepare(48000.0, 512);
  EXPECT_TRUE(rig.fx->Processing());
  EXPECT_EQ(rig.fx->GetParam(kHighFreq)->Max(), 24000.0);
  rig.SettleFade();
  const std::vector<double> in = Sine(1000.0, 48000.0, 9600, 0.5);
  rig.Run(in, in);
  EXPECT_TRUE(AllFinite(rig.outL));
  double peak = 0.0;
  for (int i = 4800; i < 9600; ++i) peak = std::max(peak, std::fabs(rig.outL[i]));
  EXPECT_GT(peak, 0.2);
  EXPECT_LT(peak, 2.0);
}

// Reaches into the chain the way a numerical fault would.
struct VeltoMemoryProbe {
  static void Poison(Velto& fx) {
    fx.hp_[0].y1 = fx.hp_[0].w1 = 1e300;
    fx.split_[0].y = std::numeric_limits<double>::infinity();
  }
};

TEST(OutputGuard, AChainOutOfRangeGoesSilentClearsItsMemoriesAndFadesBackIn) {
  VeltoRig rig(48000.0, 512, 3), clean(48000.0, 512, 3);
  rig.SettleFade();
  clean.SettleFade();
  const std::vector<double> in = Sine(440.0, 48000.0, 24000, 0.5);
  const std::vector<double> first(in.begin(), in.begin() + 512), rest(in.begin() + 512, in.end());
  rig.Run(first, first);
  clean.Run(first, first);
  VeltoMemoryProbe::Poison(*rig.fx);
  std::vector<double> outL(1024), outR(1024);
  {
    AllocationCounter counter;  // the guard runs on the audio thread
    double* ins[] = {const_cast<double*>(rest.data()), const_cast<double*>(rest.data())};
    double* outs[] = {outL.data(), outR.data()};
    rig.fx->Process(ins, outs, 512);  // blocks as the clean twin has them
    ins[0] += 512, ins[1] += 512, outs[0] += 512, outs[1] += 512;
    rig.fx->Process(ins, outs, 512);
    EXPECT_EQ(counter.Count(), 0);
  }
  const std::vector<double> later(rest.begin() + 1024, rest.end());
  rig.Run(later, later);
  rig.outL.insert(rig.outL.begin(), outL.begin(), outL.end());
  rig.outR.insert(rig.outR.begin(), outR.begin(), outR.end());
  clean.Run(rest, rest);
  EXPECT_TRUE(AllFinite(rig.outL) && AllFinite(rig.outR));
  // The block that went wrong goes out silent, and the next one too when the
  // decimator still holds a few wrong samples; then the fade starts from silence.
  const int silent = 512 * rig.fx->Recoveries();
  EXPECT_TRUE(silent == 512 || silent == 1024) << silent;
  for (int i = 0; i < silent; ++i) ASSERT_EQ(rig.outL[i], 0.0) << i;
  EXPECT_LE(std::fabs(rig.outL[silent + 100]), 101.0 / 4800);  // 100 samples into a 0.1 s fade: at most g
  // Afterwards only the hiss tells it from an instance that never went wrong.
  EXPECT_LT(MaxDiff(rig.outL, clean.outL, silent + 4801, rest.size()), 1e-3);
  EXPECT_FALSE(rig.fx->FadeActive());
}

TEST(Extremes, RandomCornersAtEveryRateStayFiniteAndNeverTripTheOutputGuard) {
  // Every parameter at its minimum or maximum, picked at random, with hot
  // input at the ceiling, NaN, infinity and denormals mixed in.
  unsigned s = 12345;
  auto next = [&s] { return s = s * 1664525u + 1013904223u; };
  for (double rate : {8000.0, 22050.0, 44100.0, 96000.0, 192000.0, 384000.0}) {
    for (int round = 0; round < 3; ++round) {
      VeltoRig rig(rate, 333, next());
      for (int p = 0; p < kNumParams; ++p) rig.fx->SetParameterNormalized(p, next() & 0x100 ? 1.0 : 0.0);
      rig.Set(kBypass, 0);
      std::vector<double> in = Noise(6000, 80.0, next());
      in[100] = std::nan("");
      in[200] = std::numeric_limits<double>::infinity();
      in[300] = 4.9e-324;
      in[400] = -1e30;
      rig.Run(in, in, 333);
      ASSERT_TRUE(AllFinite(rig.outL) && AllFinite(rig.outR)) << rate << " " << round;
      EXPECT_EQ(rig.fx->Recoveries(), 0) << rate << " " << round;
    }
  }
}
