// velto-render's module path against the offline binding: the same plug-in
// through the VST2 and VST3 modules' real exports must sound the same.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "ExampleSignal.h"
#include "RunRender.h"
#include "Render.h"
#include "Velto.h"

namespace {
struct Rendered {
  AudioBuffer audio;
  bool ok = false;
};

// Renders the example with one normalised parameter setting.
Rendered Render(const std::string& module, int param, double normalized) {
  Rendered r;
  std::string error;
  std::unique_ptr<HostedPlugin> fx;
  if (module.empty())
    fx = std::make_unique<OfflineVelto>();
  else
    fx = LoadHostedPlugin(module, &error);
  EXPECT_TRUE(fx) << module << ": " << error;
  if (!fx) return r;
  const AudioBuffer in = MakeExampleSignal(44100.0, 2.0);
  if (!fx->Prepare(44100.0, 256, 2, &error)) {
    ADD_FAILURE() << error;
    return r;
  }
  if (param >= 0) fx->SetParamNormalized(param, normalized);
  // The renderer's pre-roll lets every start-up fade run out, however a
  // host orders opening and setting the rate, so the files compare whole.
  r.audio = RenderBuffer(*fx, in, 256, nullptr);
  r.ok = true;
  return r;
}

// Mean power spectrum over Hann-windowed frames, summed into third-octave bands.
std::vector<double> ThirdOctaveBandsDb(const std::vector<double>& x, double rate) {
  const int n = 4096;
  std::vector<double> power(n / 2, 0.0);
  for (size_t start = 0; start + n <= x.size(); start += n / 2) {
    std::vector<std::complex<double>> a(n);
    for (int i = 0; i < n; ++i) a[i] = x[start + i] * (0.5 - 0.5 * std::cos(6.283185307179586 * i / n));
    for (int i = 1, j = 0; i < n; ++i) {  // iterative radix-2 FFT
      int bit = n >> 1;
      for (; j & bit; bit >>= 1) j ^= bit;
      j ^= bit;
      if (i < j) std::swap(a[i], a[j]);
    }
    for (int len = 2; len <= n; len <<= 1) {
      const std::complex<double> w = std::polar(1.0, -6.283185307179586 / len);
      for (int i = 0; i < n; i += len) {
        std::complex<double> wk = 1.0;
        for (int k = 0; k < len / 2; ++k, wk *= w) {
          const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * wk;
          a[i + k] = u + v;
          a[i + k + len / 2] = u - v;
        }
      }
    }
    for (int k = 0; k < n / 2; ++k) power[k] += std::norm(a[k]);
  }
  std::vector<double> bands;
  for (double centre = 50.0; centre < 16000.0; centre *= std::pow(2.0, 1.0 / 3.0)) {
    double sum = 1e-30;
    for (int k = 0; k < n / 2; ++k) {
      const double f = k * rate / n;
      if (f >= centre / std::pow(2.0, 1.0 / 6.0) && f < centre * std::pow(2.0, 1.0 / 6.0)) sum += power[k];
    }
    bands.push_back(10.0 * std::log10(sum));
  }
  return bands;
}

const std::string kModules[] = {VELTO_VST2_MODULE, VELTO_VST3_MODULE};
}  // namespace

TEST(ModuleRender, DryAndBypassPathsMatchTheOfflineBindingSampleForSample) {
  const Rendered dry = Render("", kMix, 0.0), bypass = Render("", kBypass, 1.0);
  ASSERT_TRUE(dry.ok && bypass.ok);
  for (const std::string& module : kModules) {
    SCOPED_TRACE(module);
    const Rendered moduleDry = Render(module, kMix, 0.0), moduleBypass = Render(module, kBypass, 1.0);
    ASSERT_TRUE(moduleDry.ok && moduleBypass.ok);
    EXPECT_EQ(moduleDry.audio.channels, dry.audio.channels);
    EXPECT_EQ(moduleBypass.audio.channels, bypass.audio.channels);
  }
}

TEST(ModuleRender, WetPathMatchesTheOfflineBindingInLevelAndSpectrum) {
  // Each instance seeds its own hiss and modulation start, so the wet path
  // is compared by level and third-octave spectrum, not sample by sample.
  const Rendered wet = Render("", -1, 0.0);
  ASSERT_TRUE(wet.ok);
  for (const std::string& module : kModules) {
    SCOPED_TRACE(module);
    const Rendered moduleWet = Render(module, -1, 0.0);
    ASSERT_TRUE(moduleWet.ok);
    for (int c = 0; c < 2; ++c) {
      EXPECT_NEAR(MeasureLevels(moduleWet.audio.channels[c]).rmsDb, MeasureLevels(wet.audio.channels[c]).rmsDb, 0.05);
      const std::vector<double> a = ThirdOctaveBandsDb(wet.audio.channels[c], 44100.0);
      const std::vector<double> b = ThirdOctaveBandsDb(moduleWet.audio.channels[c], 44100.0);
      for (size_t band = 0; band < a.size(); ++band) EXPECT_NEAR(a[band], b[band], 0.2) << "band " << band;
    }
  }
}

TEST(ModuleRender, TheRendererLinesUpEachModuleWithItsInputByItsReportedLatency) {
  // Bypassed (normalised 1 on parameter 14), the module gives the input back
  // sample for sample; processing, its output lines up with the input.
  TempFolder dir;
  WriteTestSignal(dir.Path("in.wav"), 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100.0, 22050);
  const auto in = ReadChannels(dir.Path("in.wav"));
  for (const std::string& module : kModules) {
    SCOPED_TRACE(module);
    const std::string common = "--quiet --seed 2 --module " + module + " " + dir.Path("in.wav") + " ";
    const RenderRun bypassed = RunRender("--set 14=1 " + common + dir.Path("bypassed.wav"));
    ASSERT_EQ(bypassed.status, 0) << bypassed.output;
    const RenderRun wet = RunRender(common + dir.Path("wet.wav"));
    ASSERT_EQ(wet.status, 0) << wet.output;
    const auto outBypassed = ReadChannels(dir.Path("bypassed.wav")), outWet = ReadChannels(dir.Path("wet.wav"));
    ASSERT_EQ(outBypassed.size(), 2u);
    ASSERT_EQ(outWet.size(), 2u);
    for (int c = 0; c < 2; ++c) {
      EXPECT_EQ(MaxDifference(in[c], outBypassed[c]), 0.0);
      EXPECT_EQ(outWet[c].size(), in[c].size());
      EXPECT_EQ(BestLag(in[c], outWet[c], 100), 0);
    }
  }
}
