// The whole chain: null tests of the dry and bypass paths, the fade, the
// channel modes, hiss, bad input, the wet path's frequency response, and
// real-time behaviour (no allocation, floating-point state restored).

#include <gtest/gtest.h>

#include <atomic>
#include <complex>
#include <cstdlib>
#include <limits>
#include <new>

#include "FastExp.h"
#include "VeltoRig.h"

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define VELTO_TEST_MXCSR 1
#endif

#include "AllocationCounter.h"

namespace {
constexpr double kRate = 44100.0;

// Mix 0 and no high-pass: what comes out is only the dry path.
void DryOnly(VeltoRig& rig) {
  rig.Set(kMix, 0.0);
  rig.Set(kHPON, 0);
  rig.SettleFade();
}
}  // namespace

TEST(DryPath, MixZeroIsTheInputDelayedBy31SamplesWhateverTheOutputGain) {
  for (double outGain : {0.0, -12.0, 12.0}) {
    VeltoRig rig;
    rig.Set(kOutGain, outGain);
    rig.Set(kDrive, 15.0);
    DryOnly(rig);
    const std::vector<double> in = Noise(3000, 0.5, 3);
    std::vector<double> inR(in.rbegin(), in.rend());
    rig.Run(in, inR, 333);
    // The first 31 outputs are whatever the ring held; compare after them.
    for (int i = 31; i < 3000; ++i) {
      ASSERT_EQ(rig.outL[i], in[i - 31]) << i;
      ASSERT_EQ(rig.outR[i], inR[i - 31]) << i;
    }
  }
}

TEST(DryPath, HighPassOnTheSideOfAMonoSignalLeavesItUntouched) {
  VeltoRig rig;
  rig.Set(kMix, 0.0);
  rig.Set(kHP_LRMS, 2);
  rig.Set(kHPFreq, 50.0);
  rig.Set(kHPRollOff, 4);
  rig.SettleFade();
  const std::vector<double> in = Noise(2000, 0.5, 5);
  rig.Run(in, in);
  for (int i = 31; i < 2000; ++i) ASSERT_EQ(rig.outL[i], in[i - 31]);
}

TEST(HighPassModes, SideModeFiltersOnlyTheSideOfTheWetSignal) {
  // Two instances with the same seed run the same hiss and modulation.
  VeltoRig filtered(kRate, 512, 11), plain(kRate, 512, 11);
  filtered.Set(kHP_LRMS, 2);
  filtered.Set(kHPFreq, 50.0);
  plain.Set(kHPON, 0);
  filtered.SettleFade();
  plain.SettleFade();
  std::vector<double> l = Sine(80.0, kRate, 8000, 0.3), r = Sine(120.0, kRate, 8000, 0.3);
  filtered.Run(l, r);
  plain.Run(l, r);
  double sideDiff = 0.0;
  for (int i = 0; i < 8000; ++i) {
    ASSERT_NEAR(filtered.outL[i] + filtered.outR[i], plain.outL[i] + plain.outR[i], 1e-12);
    sideDiff = std::max(sideDiff, std::fabs((filtered.outR[i] - filtered.outL[i]) - (plain.outR[i] - plain.outL[i])));
  }
  EXPECT_GT(sideDiff, 1e-3);  // the side did get filtered
}

TEST(ChannelModes, MidModePassesASideSignalPastTheToneStage) {
  VeltoRig shaped(kRate, 512, 21), flat(kRate, 512, 21);
  for (VeltoRig* rig : {&shaped, &flat}) rig->Set(kEQ_LRMS, 1);
  shaped.Set(kLowVol, 12.0);
  shaped.Set(kMidVol, -12.0);
  shaped.Set(kHighVol, 9.0);
  shaped.SettleFade();
  flat.SettleFade();
  std::vector<double> l = Noise(6000, 0.3, 8), r(6000);
  for (int i = 0; i < 6000; ++i) r[i] = -l[i];
  shaped.Run(l, r);
  flat.Run(l, r);
  EXPECT_EQ(shaped.outL, flat.outL);
  EXPECT_EQ(shaped.outR, flat.outR);
  EXPECT_GT(Peak(flat.outL), 0.1);
}

TEST(Bypass, IsTheInputDelayedByTheLatencyAfterItsFadeAndStartsFromSilenceWithinPlusMinusG) {
  VeltoRig rig;
  const int delay = Velto::kLatencySamples;
  ASSERT_EQ(delay, 31);
  EXPECT_EQ(rig.fx->GetLatency(), delay);
  rig.SettleFade();
  rig.Set(kBypass, 1);
  EXPECT_TRUE(rig.fx->FadeActive());
  const int fadeLength = static_cast<int>(kRate * 0.2);
  const int counterAtSwitch = rig.fx->FadeCounter();
  const std::vector<double> in = Noise(fadeLength + 4000, 0.9, 9);
  std::vector<double> inR(in.size());
  for (size_t i = 0; i < in.size(); ++i) inR[i] = 0.5 * in[i];
  rig.Run(in, inR, 480);
  for (int i = delay; i < fadeLength + 4000; ++i) {
    const int counter = std::min(counterAtSwitch + i, fadeLength);
    if (counterAtSwitch + i > fadeLength) {
      ASSERT_EQ(rig.outL[i], in[i - delay]) << i;
      ASSERT_EQ(rig.outR[i], inR[i - delay]) << i;
    } else {
      const double g = std::clamp(counter / (fadeLength + 2.22045e-15), 0.0, 1.0);
      ASSERT_NEAR(rig.outL[i], std::clamp(in[i - delay] * g, -g, g), 1e-15) << i;
    }
  }
  EXPECT_FALSE(rig.fx->FadeActive());
}

TEST(Bypass, SwitchingInEitherDirectionKeepsTheDryPathContinuous) {
  // Mix 0 and no high-pass: processed and bypassed are both the input delayed
  // by the latency, so a switch shows nothing but its fade.
  const int delay = Velto::kLatencySamples;
  const int fadeLength = static_cast<int>(kRate * 0.2);
  const std::vector<double> in = Noise(30000, 0.5, 4);
  const std::vector<double> first(in.begin(), in.begin() + 10000), second(in.begin() + 10000, in.end());
  for (int direction = 0; direction < 2; ++direction) {
    VeltoRig rig;
    DryOnly(rig);
    if (direction == 1) {
      rig.Set(kBypass, 1);
      rig.SettleFade();
    }
    rig.Run(first, first);
    const int counterAtSwitch = rig.fx->FadeCounter();
    rig.Set(kBypass, direction == 0 ? 1 : 0);
    rig.Run(second, second);
    for (int i = 0; i < 20000; ++i) {
      const double x = in[10000 + i - delay];
      const double g = std::clamp(std::min(counterAtSwitch + i, fadeLength) / (fadeLength + 2.22045e-15), 0.0, 1.0);
      const double expected = counterAtSwitch + i > fadeLength ? x : std::clamp(x * g, -g, g);
      ASSERT_NEAR(rig.outL[i], expected, 1e-15) << direction << " " << i;
    }
  }
}

TEST(Bypass, SilenceGivesExactSilenceAndTheMetersHold) {
  VeltoRig rig;
  const std::vector<double> loud = Sine(440.0, kRate, 20000, 0.5);
  rig.Run(loud, loud);
  const Velto::MeterLevels before = rig.fx->Levels();
  EXPECT_GT(before.out[0], 0.1);
  rig.Set(kBypass, 1);
  const std::vector<double> zero(30000, 0.0);
  rig.Run(zero, zero);
  // The first samples are the end of the sine, still in the delay line.
  const std::vector<double> l(rig.outL.begin() + Velto::kLatencySamples, rig.outL.end());
  const std::vector<double> r(rig.outR.begin() + Velto::kLatencySamples, rig.outR.end());
  EXPECT_EQ(Peak(l), 0.0);
  EXPECT_EQ(Peak(r), 0.0);
  EXPECT_EQ(rig.fx->Levels().out[0], before.out[0]);
  EXPECT_EQ(rig.fx->Levels().bars[3], before.bars[3]);
}

// The tone path takes the host's frames two at a time; blocks of odd and
// single frames, and a host that hands the same buffers in and out, must get
// what one long block gets, the fade-in, hiss and meters included.
TEST(HostBlocks, AnyBlockLengthsAndInPlaceBuffersGiveTheSameAudio) {
  const std::vector<double> l = Noise(5000, 0.4, 12), r = Noise(5000, 0.3, 13);
  for (int mode : {0, 1}) {
    VeltoRig whole(kRate, 512, 9), pieces(kRate, 512, 9), inPlace(kRate, 512, 9);
    for (VeltoRig* rig : {&whole, &pieces, &inPlace}) {
      rig->Set(kEQ_LRMS, mode);
      rig->Set(kHP_LRMS, mode == 0 ? 0 : 2);
    }
    whole.Run(l, r, 512);
    std::vector<double> bufL = l, bufR = r;
    pieces.outL.assign(l.size(), 0.0);
    pieces.outR.assign(r.size(), 0.0);
    static constexpr int kLengths[] = {1, 3, 2, 7, 1, 64, 5, 333};
    for (size_t start = 0, k = 0; start < l.size(); ++k) {
      const int n = static_cast<int>(std::min<size_t>(kLengths[k % 8], l.size() - start));
      double* in[] = {const_cast<double*>(l.data()) + start, const_cast<double*>(r.data()) + start};
      double* out[] = {pieces.outL.data() + start, pieces.outR.data() + start};
      pieces.fx->Process(in, out, n);
      double* same[] = {bufL.data() + start, bufR.data() + start};
      inPlace.fx->Process(same, same, n);
      start += n;
    }
    EXPECT_EQ(pieces.outL, whole.outL) << mode;
    EXPECT_EQ(pieces.outR, whole.outR) << mode;
    EXPECT_EQ(bufL, whole.outL) << mode;
    EXPECT_EQ(bufR, whole.outR) << mode;
    EXPECT_GT(Peak(whole.outL), 0.05);
  }
}

TEST(Hiss, SilenceInGivesLowLevelNoiseOut) {
  VeltoRig rig;
  rig.SettleFade();
  const std::vector<double> zero(44100, 0.0);
  rig.Run(zero, zero);
  const double peak = Peak(rig.outL);
  EXPECT_GT(peak, 0.0);
  EXPECT_LT(20.0 * std::log10(peak), -80.0);
}

TEST(FadeIn, RisesLinearlyAfterAResetAndEndsOneSamplePastItsLength) {
  VeltoRig rig;
  rig.Set(kMix, 0.0);
  rig.Set(kHPON, 0);
  rig.fx->Reset();  // restarts the 0.1 s fade from 0
  const int length = static_cast<int>(kRate * 0.1);
  std::vector<double> dc(length + 200, 0.75);
  rig.Run(dc, dc, 512);
  // The dry ring still holds silence for the first 31 samples.
  for (int i = 40; i <= length; ++i) {
    const double g = i / (length + 2.22045e-15);
    ASSERT_NEAR(rig.outL[i], std::min(0.75 * g, g), 1e-12) << i;
  }
  EXPECT_EQ(rig.outL[length + 1], 0.75);
  EXPECT_FALSE(rig.fx->FadeActive());

  VeltoRig counted;
  counted.fx->Reset();
  std::vector<double> zero(length, 0.0);
  counted.Run(zero, zero);
  EXPECT_TRUE(counted.fx->FadeActive());
  EXPECT_EQ(counted.fx->FadeCounter(), length);  // one more sample ends it
  std::vector<double> one(1, 0.0);
  counted.Run(one, one);
  EXPECT_FALSE(counted.fx->FadeActive());
}

TEST(BadInput, NonFiniteSamplesEnterAsSilenceAndTheOutputRecovers) {
  VeltoRig poisoned(kRate, 512, 4), clean(kRate, 512, 4);
  std::vector<double> in = Sine(300.0, kRate, 20000, 0.4), zeros = in;
  for (int i = 5000; i < 5100; ++i) {
    in[i] = i % 3 ? std::numeric_limits<double>::quiet_NaN() : std::numeric_limits<double>::infinity();
    zeros[i] = 0.0;
  }
  poisoned.Run(in, in);
  clean.Run(zeros, zeros);
  EXPECT_EQ(poisoned.outL, clean.outL);
  for (double x : poisoned.outR) ASSERT_TRUE(std::isfinite(x));
  EXPECT_GT(Peak(std::vector<double>(poisoned.outL.end() - 1000, poisoned.outL.end())), 0.1);
}

TEST(Robustness, EveryParameterAtItsExtremesKeepsTheOutputFiniteAtEveryRate) {
  for (double rate : {44100.0, 48000.0, 96000.0, 192000.0}) {
    for (double corner : {0.0, 1.0}) {
      VeltoRig rig(rate);
      for (int p = 0; p < kNumParams; ++p) rig.fx->SetParameterNormalized(p, (p % 2) ? corner : 1.0 - corner);
      rig.Set(kBypass, 0);
      const std::vector<double> hot = Noise(8192, 4.0, 12);
      rig.Run(hot, hot, 1024);
      for (size_t i = 0; i < hot.size(); ++i)
        ASSERT_TRUE(std::isfinite(rig.outL[i]) && std::isfinite(rig.outR[i])) << rate << " " << i;
    }
  }
}

TEST(MonoConfiguration, RunsOneInOneOutWithTheSecondChannelSilent) {
  VeltoRig rig;
  ASSERT_TRUE(rig.fx->SetChannels(1));
  EXPECT_FALSE(rig.fx->SetChannels(3));
  rig.Set(kMix, 0.0);
  rig.Set(kHPON, 0);
  rig.SettleFade();
  std::vector<double> in = Noise(2048, 0.5, 2), out(2048, 9.0);
  double* ins[] = {in.data(), nullptr};
  double* outs[] = {out.data(), nullptr};
  rig.fx->Process(ins, outs, 2048);
  for (int i = 31; i < 2048; ++i) ASSERT_EQ(out[i], in[i - 31]);
}

namespace {
// Amplitude of the component at freq in x[start..], by correlation.
double Amplitude(const std::vector<double>& x, double freq, double rate, int start) {
  std::complex<double> acc = 0.0;
  const int n = static_cast<int>(x.size()) - start;
  for (int i = 0; i < n; ++i)
    acc += x[start + i] * std::polar(1.0, -6.283185307179586 * freq * (start + i) / rate);
  return 2.0 * std::abs(acc) / n;
}

// The band split's response for the right channel at the oversampled rate:
// low = LP(f_low), mid = LP(f_high) of what is above low, high = above LP(f_high).
double ToneStageGain(double freq, double low, double high, double gl, double gm, double gh, double rate) {
  const double fs = 4.0 * rate;
  auto lowpass = [&](double fc) {
    const double a1 = FastExp(-6.283185307179586 * fc / fs);
    const std::complex<double> z1 = std::polar(1.0, -6.283185307179586 * freq / fs);
    return (1.0 - a1) / (1.0 - a1 * z1);
  };
  const std::complex<double> hl = lowpass(low), hh = lowpass(high);
  const std::complex<double> h = gl * hl + gm * hh * (1.0 - hl) + gh * (1.0 - hh);
  return std::abs(h);
}
}  // namespace

namespace {
// Ratio of the shaped setting's output to the flat setting's, per channel, in dB.
struct ToneMeasurement {
  double leftDb, rightDb;
};
ToneMeasurement MeasureToneStage(double freq, const std::vector<std::pair<int, double>>& settings) {
  VeltoRig flat(kRate, 512, 31), shaped(kRate, 512, 31);
  for (VeltoRig* rig : {&flat, &shaped}) {
    rig->Set(kHPON, 0);
    rig->Set(kDrive, -10.0);
  }
  for (const auto& [param, value] : settings) {
    shaped.Set(param, value);
    if (param == k3Band || param == kCenterFreq) flat.Set(param, value);
  }
  flat.SettleFade();
  shaped.SettleFade();
  const std::vector<double> in = Sine(freq, kRate, 22050, 0.01);
  flat.Run(in, in);
  shaped.Run(in, in);
  auto ratioDb = [&](const std::vector<double>& a, const std::vector<double>& b) {
    return 20 * std::log10(Amplitude(a, freq, kRate, 4410) / Amplitude(b, freq, kRate, 4410));
  };
  return {ratioDb(shaped.outL, flat.outL), ratioDb(shaped.outR, flat.outR)};
}

double Gain(double db) { return std::exp(db * 0.1151292546497); }
}  // namespace

TEST(WetPath, ToneStageResponseMatchesTheDesignedBandSplitOnBothChannels) {
  // Quiet sines keep the core close to linear, so the ratio of two settings'
  // outputs is the ratio of the designed tone-stage responses. The left
  // channel's crossovers sit 5 % lower than the right's.
  const double lowVol = 9.0, midVol = -6.0, highVol = 4.0;
  for (double freq : {60.0, 175.0, 700.0, 2000.0, 4500.0, 12000.0}) {
    const ToneMeasurement m = MeasureToneStage(freq, {{kLowVol, lowVol}, {kMidVol, midVol}, {kHighVol, highVol}});
    for (int c = 0; c < 2; ++c) {
      const double d = c == 0 ? 0.95 : 1.0;
      const double expected =
          ToneStageGain(freq, d * 175, d * 4500, Gain(lowVol), Gain(midVol), Gain(highVol), kRate) /
          ToneStageGain(freq, d * 175, d * 4500, 1, 1, 1, kRate);
      EXPECT_NEAR(c == 0 ? m.leftDb : m.rightDb, 20 * std::log10(expected), 0.05) << freq << " Hz, channel " << c;
    }
  }
}

TEST(WetPath, TwoBandModeSplitsAtTheCentreFrequencyAndIgnoresLowAndHighFreq) {
  for (double freq : {200.0, 1500.0, 6000.0}) {
    const ToneMeasurement m = MeasureToneStage(
        freq, {{k3Band, 0}, {kCenterFreq, 1500.0}, {kLowVol, 6.0}, {kHighVol, -6.0}, {kMidVol, 12.0}});
    // In two-band mode the low band is below the crossover, the rest above it.
    const double twoBand = std::abs([&] {
      const double fs = 4.0 * kRate;
      const double a1 = FastExp(-6.283185307179586 * 1500.0 / fs);
      const std::complex<double> z1 = std::polar(1.0, -6.283185307179586 * freq / fs);
      const std::complex<double> low = (1.0 - a1) / (1.0 - a1 * z1);
      return Gain(6.0) * low + Gain(-6.0) * (1.0 - low);
    }());
    EXPECT_NEAR(m.rightDb, 20 * std::log10(twoBand), 0.05) << freq << " Hz";
  }
  VeltoRig a(kRate, 512, 5), b(kRate, 512, 5);
  for (VeltoRig* rig : {&a, &b}) rig->Set(k3Band, 0);
  a.Set(kLowFreq, 40.0);
  a.Set(kHighFreq, 15000.0);
  b.Set(kLowFreq, 2000.0);
  b.Set(kHighFreq, 2500.0);
  a.SettleFade();
  b.SettleFade();
  const std::vector<double> in = Noise(8000, 0.3, 6);
  a.Run(in, in);
  b.Run(in, in);
  EXPECT_EQ(a.outL, b.outL);
  EXPECT_EQ(a.outR, b.outR);
}

TEST(WetPath, ButterworthHighPassIsThreeDecibelsDownAtItsFrequency) {
  // Dry path only, so the measured response is the high-pass alone.
  for (double corner : {20.0, 50.0}) {
    VeltoRig rig;
    rig.Set(kMix, 0.0);
    rig.Set(kHPFreq, corner);
    rig.SettleFade();
    const std::vector<double> in = Sine(corner, kRate, 88200, 0.5);
    rig.Run(in, in);
    EXPECT_NEAR(20 * std::log10(Amplitude(rig.outL, corner, kRate, 44100) / 0.5), -3.01, 0.05);
    const std::vector<double> pass = Sine(20 * corner, kRate, 44100, 0.5);
    rig.Run(pass, pass);
    EXPECT_NEAR(Amplitude(rig.outL, 20 * corner, kRate, 22050), 0.5, 0.5 * 0.002);
  }
}

TEST(WetPath, HighPassStopBandFallsByTwelveEighteenOrTwentyFourDecibelsPerOctave) {
  // Far below the corner every response falls at its order's slope.
  const double corner = 50.0, low = corner / 8.0, lower = corner / 16.0;
  for (int kind = 0; kind <= 2; ++kind) {
    for (int rollOff = 2; rollOff <= 4; ++rollOff) {
      double level[2];
      for (int k = 0; k < 2; ++k) {
        const double freq = k == 0 ? low : lower;
        VeltoRig rig;
        rig.Set(kMix, 0.0);
        rig.Set(kHPFreq, corner);
        rig.Set(kHPQ, kind);
        rig.Set(kHPRollOff, rollOff);
        rig.SettleFade();
        const std::vector<double> in = Sine(freq, kRate, 4 * 44100, 0.5);
        rig.Run(in, in, 4096);
        level[k] = 20 * std::log10(Amplitude(rig.outL, freq, kRate, 2 * 44100) / 0.5);
      }
      EXPECT_NEAR(level[0] - level[1], 6.02 * rollOff, 1.0) << "kind " << kind << " roll-off " << rollOff;
    }
  }
}

TEST(RealTime, ProcessingAllocatesNothingAndRestoresTheFloatingPointState) {
  VeltoRig rig;
  rig.Set(kFeedback, 30.0);
  const std::vector<double> in = Noise(4096, 0.5, 1);
#if defined(VELTO_TEST_MXCSR)
  const unsigned before = _mm_getcsr() & ~0x3Fu;
#endif
  std::vector<double> outL(4096), outR(4096);
  AllocationCounter counter;
  double* ins[] = {const_cast<double*>(in.data()), const_cast<double*>(in.data())};
  double* outs[] = {outL.data(), outR.data()};
  for (int block = 0; block < 8; ++block) rig.fx->Process(ins, outs, 4096);  // in pieces of 512
  EXPECT_EQ(counter.Count(), 0);
#if defined(VELTO_TEST_MXCSR)
  EXPECT_EQ(_mm_getcsr() & ~0x3Fu, before);
#endif
}
