// One benchmark per DSP stage, each processing one block of 1024 calls per
// iteration; items/s gives the per-call cost. Baseline: one one-pole section
// (about the cheapest stateful step), for figures as ratios.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "BiquadSection.h"
#include "EnvelopeFollower.h"
#include "FastExp.h"
#include "OnePoleLowpass.h"
#include "PolyphaseDecimator.h"
#include "PolyphaseInterpolator.h"
#include "RmsFollower.h"
#include "SaturationCore.h"

namespace
{
constexpr int kBlock = 1024;
constexpr double kRate = 44100.0;

std::vector<double> TestSignal(int n, double freqHz, double rateHz)
{
    std::vector<double> v(n);
    for (int i = 0; i < n; ++i)
        v[i] = 0.5 * std::sin(2.0 * 3.141592653589793 * freqHz * i / rateHz);
    return v;
}

void Baseline_OnePole(benchmark::State& state)
{
    const std::vector<double> in = TestSignal(kBlock, 997.0, kRate);
    OnePoleLowpass lp;
    lp.Design(1000.0, kRate);
    for (auto _ : state)
    {
        double acc = 0.0;
        for (double x : in)
            acc += lp.Process(x);
        benchmark::DoNotOptimize(acc);
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(Baseline_OnePole);

void FastExpCall(benchmark::State& state)
{
    for (auto _ : state)
    {
        double acc = 0.0;
        for (int i = 0; i < kBlock; ++i)
            acc += FastExp(-0.01 * i);
        benchmark::DoNotOptimize(acc);
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(FastExpCall);

// Both channels in one pass, as the chain runs them: four oversampled
// pairs per base-rate sample.
void Interpolator_StereoInputSample(benchmark::State& state)
{
    const std::vector<double> in = TestSignal(kBlock, 997.0, kRate);
    PolyphaseInterpolator up[2];
    for (auto& u : up)
        u.Design(80, 0.525 / 4, 4);
    for (auto _ : state)
    {
        Lanes2 acc = Lanes2::Both(0.0);
        for (double x : in)
        {
            Lanes2 out[4];
            PolyphaseInterpolator::PushPair(up[0], up[1], x, -x, out);
            acc = acc + out[0] + out[1] + out[2] + out[3];
        }
        benchmark::DoNotOptimize(acc);
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(Interpolator_StereoInputSample);

// 3-band split of both channels for four oversampled steps (six one-poles).
void BandSplit_StereoInputSample(benchmark::State& state)
{
    const std::vector<double> in = TestSignal(4 * kBlock, 997.0, 4 * kRate);
    OnePoleLowpass s[6];
    for (int i = 0; i < 6; ++i)
        s[i].Design(i < 2 ? 200.0 : 3000.0, 4 * kRate);
    for (auto _ : state)
    {
        double acc = 0.0;
        for (double u : in)
        {
            const double lowA = s[0].Process(u), lowB = s[1].Process(-u);
            const double midA = s[2].Process(u - lowA), midB = s[3].Process(-u - lowB);
            const double highA = u - s[4].Process(u), highB = -u - s[5].Process(-u);
            acc += 0.5 * lowA + midA + 2.0 * highA + 0.5 * lowB + midB + 2.0 * highB;
        }
        benchmark::DoNotOptimize(acc);
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(BandSplit_StereoInputSample);

// One core call = one oversampled stereo sample; items are core calls.
// Model 17 at the oversampled 44.1 kHz rate, drive 2, hiss on.
void SetUpBenchCore(SaturationCore& core)
{
    std::srand(1);
    core = SaturationCore();
    core.EnableQuantiserAndHiss(true);
    core.SetModel(4 * kRate, 17);
    core.SetDrive(2.0);
}

void SaturationCore_OversampledSample(benchmark::State& state)
{
    const std::vector<double> in = TestSignal(kBlock, 997.0, 4 * kRate);
    SaturationCore core;
    SetUpBenchCore(core);
    for (auto _ : state)
    {
        double acc = 0.0;
        for (double x : in)
        {
            double a = x, b = -x;
            core.Process(a, b);
            acc += a + b;
        }
        benchmark::DoNotOptimize(acc);
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(SaturationCore_OversampledSample);

// The same in blocks of four and of eight oversampled samples (one frame's
// and two frames' worth; the chain runs blocks of eight).
void SaturationCore_Block(benchmark::State& state)
{
    const int length = static_cast<int>(state.range(0));
    const std::vector<double> in = TestSignal(kBlock, 997.0, 4 * kRate);
    SaturationCore core;
    SetUpBenchCore(core);
    for (auto _ : state)
    {
        double acc = 0.0;
        for (int i = 0; i + length <= kBlock; i += length)
        {
            Lanes2 io[SaturationCore::kLongBlock];
            for (int k = 0; k < length; ++k)
                io[k] = Lanes2::Of(in[i + k], -in[i + k]);
            core.ProcessBlock(io, length);
            for (int k = 0; k < length; ++k)
                acc += io[k].A() + io[k].B();
        }
        benchmark::DoNotOptimize(acc);
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(SaturationCore_Block)->Arg(SaturationCore::kBlock)->Arg(SaturationCore::kLongBlock);

// Both channels, one whole group of four oversampled pairs per base-rate
// output, as the chain runs them.
void Decimator_StereoInputSample(benchmark::State& state)
{
    const std::vector<double> in = TestSignal(4 * kBlock, 997.0, 4 * kRate);
    std::vector<Lanes2> pairs(in.size());
    for (std::size_t i = 0; i < in.size(); ++i)
        pairs[i] = Lanes2::Of(in[i], -in[i]);
    PolyphaseDecimator down[2];
    for (auto& d : down)
        d.Design(176, 0.497 / 4, 4);
    for (auto _ : state)
    {
        Lanes2 acc = Lanes2::Both(0.0);
        for (int i = 0; i < kBlock; ++i)
            acc = acc + PolyphaseDecimator::DecimateGroupPair(down[0], down[1], &pairs[4 * i]);
        benchmark::DoNotOptimize(acc);
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(Decimator_StereoInputSample);

// Roll-off 4 on both channels: stage 1 (direct form II) then stage 2 (I).
void HighpassCascade_StereoInputSample(benchmark::State& state)
{
    const std::vector<double> in = TestSignal(kBlock, 997.0, kRate);
    BiquadSection s[4];
    for (int i = 0; i < 4; ++i)
        s[i].DesignHighpass(80.0, i < 2 ? 0.5412 : 1.3065, kRate);
    for (auto _ : state)
    {
        double acc = 0.0;
        for (double x : in)
        {
            acc += s[2].ProcessDF1(s[0].ProcessDF2(x));
            acc += s[3].ProcessDF1(s[1].ProcessDF2(-x));
        }
        benchmark::DoNotOptimize(acc);
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(HighpassCascade_StereoInputSample);

// The twelve followers of one stereo sample.
void Meters_StereoInputSample(benchmark::State& state)
{
    const std::vector<double> in = TestSignal(kBlock, 997.0, kRate);
    EnvelopeFollower env[10];
    RmsFollower rms[2];
    for (int i = 0; i < 10; ++i)
        env[i].Configure(i < 4 ? 0.001 : 5.0, i < 4 ? 300.0 : 3000.0, kRate);
    for (auto& r : rms)
        r.Configure(750.0, kRate);
    for (auto _ : state)
    {
        for (double x : in)
        {
            const double p[4] = {std::fabs(x), std::fabs(0.9 * x), std::fabs(0.8 * x), std::fabs(0.7 * x)};
            for (int i = 0; i < 8; ++i)
                env[i].Update(p[i & 3]);
            rms[0].Update(p[2]);
            rms[1].Update(p[3]);
            env[8].Update(p[2]);
            env[9].Update(p[3]);
        }
        benchmark::DoNotOptimize(env[0].state + rms[0].ms);
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(Meters_StereoInputSample);
}  // namespace
