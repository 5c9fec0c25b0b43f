// The whole signal chain per stereo input sample, for the default setting and
// each factory preset at the common sample rates. Items processed are stereo
// input samples, so items_per_second / sample rate is the real-time factor.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "Velto.h"

namespace {
void WholeChain(benchmark::State& state) {
  const double rate = static_cast<double>(state.range(0));
  const int preset = static_cast<int>(state.range(1));
  const int block = 512;
  VeltoRandomSeed::UseFixedSeed(1);
  std::unique_ptr<Velto> fx(static_cast<Velto*>(CreatePlugin(IEffectOffline::InstanceInfo{})));
  fx->Prepare(rate, block);
  fx->LoadPreset(preset);

  std::vector<double> inL(block), inR(block), outL(block), outR(block);
  for (int i = 0; i < block; ++i) {
    inL[i] = 0.4 * std::sin(0.031 * i) + 0.1 * std::sin(0.57 * i);
    inR[i] = 0.4 * std::sin(0.029 * i + 1.0) + 0.1 * std::sin(0.61 * i);
  }
  double* ins[] = {inL.data(), inR.data()};
  double* outs[] = {outL.data(), outR.data()};
  for (auto _ : state) {
    fx->Process(ins, outs, block);
    benchmark::DoNotOptimize(outL.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * block);
  state.counters["realtime_x"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * block / rate, benchmark::Counter::kIsRate);
  state.SetLabel(fx->PresetName(preset));
}
}  // namespace

// Default setting at three rates, and every factory preset at 44.1 kHz.
BENCHMARK(WholeChain)
    ->ArgNames({"rate", "preset"})
    ->Args({44100, 0})
    ->Args({48000, 0})
    ->Args({96000, 0})
    ->Args({44100, 1})
    ->Args({44100, 2})
    ->Args({44100, 3})
    ->Args({44100, 4})
    ->Args({44100, 5})
    ->Args({44100, 6})
    ->Unit(benchmark::kMicrosecond);
