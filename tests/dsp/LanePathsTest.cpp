// The vector and two-lane paths of the DSP against their reference paths.
// Built with GoogleTest on Linux and as a plain program for the Windows
// builds (run under Wine), where the 32-bit module takes the SSE2 forms.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "BranchDot.h"
#include "Lanes4.h"
#include "ModuleCheck.h"
#include "NoiseGenerator.h"
#include "NoisePair.h"
#include "PolyphaseDecimator.h"
#include "PolyphaseInterpolator.h"
#include "WindowedSinc.h"

namespace
{
bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
}  // namespace

// The whole-filter dot product: every form sums in the same order, so all
// give the scalar form's result bit for bit, for every length up to a full
// ring (every leftover count) and unaligned windows.
MODULE_TEST(BranchDot, FullDotPairFormsMatchTheScalarFormBitForBit)
{
    constexpr int kMax = PolyphaseLayout::kMaxFactor * PolyphaseLayout::kMaxBranchTaps;
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> octave(-30, 30);
    std::vector<double> h(kMax + 4), x(kMax + 8);
    for (double& v : h)
        v = std::ldexp(mantissa(rng), octave(rng));
    for (double& v : x)
        v = std::ldexp(mantissa(rng), octave(rng));

    const FullDotPairFn reference = FullDotPairFor(BranchDotKind::kScalar);
    for (BranchDotKind kind : {BranchDotKind::kSse2, BranchDotKind::kAvx2})
    {
        int mismatches = 0;
        for (int offset = 0; offset < 3; ++offset)
            for (int taps = 0; taps <= kMax; ++taps)
            {
                // Also the forms unrolled for one length, given any length.
                const FullDotPairFn pair = FullDotPairFor(kind, taps % 2 == 0 ? taps : 176);
                double want[2], got[2];
                reference(h.data() + offset, x.data() + 1 + offset, x.data() + 7 - offset, taps, want);
                pair(h.data() + offset, x.data() + 1 + offset, x.data() + 7 - offset, taps, got);
                mismatches += !SameBits(want[0], got[0]) || !SameBits(want[1], got[1]);
            }
        CHECK_EQ(mismatches, 0);
    }

    // The reference order itself against a plain sum: a reordering only.
    for (int taps : {0, 3, 16, 176, 181, kMax})
    {
        double got[2], plain = 0.0, magnitude = 0.0;
        reference(h.data(), x.data(), x.data(), taps, got);
        for (int i = 0; i < taps; ++i)
        {
            plain += h[i] * x[i];
            magnitude += std::fabs(h[i] * x[i]);
        }
        CHECK_TRUE(std::fabs(got[0] - plain) <= 1e-13 * magnitude);
        CHECK_TRUE(SameBits(got[0], got[1]));
    }
}

// A whole group of both channels against the reference path (Push and
// TakeOutput on each channel alone). The group path sums the same products
// in another order, so it must agree within 1e-12 of the sum of the
// products' magnitudes: many random signals over many octaves, every factor
// with the chain's tap counts and odd ones, designs changed mid-stream.
MODULE_TEST(Polyphase, DecimatedGroupsMatchTheReferencePathWithinTheBound)
{
    struct Design { int taps; double cutoff; };
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> octave(-8, 8);
    double worst = 0.0;
    int compared = 0;
    for (int factor = 1; factor <= 8; ++factor)
    {
        const Design designs[] = {{44 * factor, 0.497 / factor}, {176, 0.497 / 4}, {20 * factor, 0.525 / factor},
                                  {8 * factor + 1, 0.45 / factor}, {504, 0.06}};
        PolyphaseDecimator refA, refB, groupA, groupB;
        std::vector<double> lineA(512, 0.0), lineB(512, 0.0);  // newest first
        for (int d = 0; d < 5; ++d)
        {
            for (PolyphaseDecimator* dec : {&refA, &refB, &groupA, &groupB})
                dec->Design(designs[d].taps, designs[d].cutoff, factor);
            const int n = groupA.TotalTaps();
            std::vector<double> h(n);
            DesignWindowedSinc(h.data(), n, designs[d].cutoff);
            for (int g = 0; g < 150; ++g)
            {
                Lanes2 group[8];
                for (int k = 0; k < factor; ++k)
                {
                    const double a = std::ldexp(mantissa(rng), octave(rng));
                    const double b = g % 50 == 7 ? 0.0 : std::ldexp(mantissa(rng), octave(rng));
                    group[k] = Lanes2::Of(a, b);
                    refA.Push(a);
                    refB.Push(b);
                    lineA.insert(lineA.begin(), a);
                    lineB.insert(lineB.begin(), b);
                    lineA.pop_back();
                    lineB.pop_back();
                }
                const Lanes2 got = PolyphaseDecimator::DecimateGroupPair(groupA, groupB, group);
                const double want[2] = {refA.TakeOutput(), refB.TakeOutput()};
                const double have[2] = {got.A(), got.B()};
                const std::vector<double>* lines[2] = {&lineA, &lineB};
                for (int c = 0; c < 2; ++c)
                {
                    double magnitude = 0.0;
                    for (int i = 0; i < n; ++i)
                        magnitude += std::fabs(h[i] * (*lines[c])[i]);
                    const double error = std::fabs(have[c] - want[c]);
                    REQUIRE_TRUE(error <= 1e-12 * magnitude);
                    if (magnitude > 0.0)
                        worst = std::max(worst, error / magnitude);
                    ++compared;
                }
            }
        }
    }
    CHECK_EQ(compared, 8 * 5 * 150 * 2);
    std::printf("largest difference: %.3g of the magnitude sum\n", worst);
}

// Where the two channels cannot share the pass (different designs, or one
// inside a group), the group call is the reference path exactly.
MODULE_TEST(Polyphase, DecimatedGroupFallsBackToSinglePushesBitForBit)
{
    PolyphaseDecimator refA, refB, groupA, groupB;
    for (PolyphaseDecimator* d : {&refA, &groupA})
        d->Design(176, 0.497 / 4, 4);
    for (PolyphaseDecimator* d : {&refB, &groupB})
        d->Design(120, 0.45 / 4, 4);
    int mismatches = 0;
    for (int n = 0; n < 400; ++n)
    {
        if (n == 200)
            for (PolyphaseDecimator* d : {&refB, &groupB})
                d->Design(176, 0.497 / 4, 4);
        if (n >= 200)
        {
            // The same designs now, but A one value into its group.
            refA.Push(0.25 * n);
            groupA.Push(0.25 * n);
        }
        Lanes2 group[4];
        for (int k = 0; k < 4; ++k)
        {
            const int i = 4 * n + k;
            group[k] = Lanes2::Of(std::sin(0.01 * i) + 1e-3 * (i % 7), std::cos(0.037 * i) - 1e-5 * (i % 5));
            refA.Push(group[k].A());
            refB.Push(group[k].B());
        }
        const Lanes2 got = PolyphaseDecimator::DecimateGroupPair(groupA, groupB, group);
        const double want[2] = {refA.TakeOutput(), refB.TakeOutput()};
        const double have[2] = {got.A(), got.B()};
        mismatches += std::memcmp(want, have, sizeof want) != 0;
    }
    CHECK_EQ(mismatches, 0);
}

// Both interpolators in one pass hand out what Push and Next give, bit for
// bit: every factor, a design change midway, and a pair whose designs
// differ (each then runs alone).
MODULE_TEST(Polyphase, PairedInterpolatorPushesMatchSinglePushesBitForBit)
{
    int mismatches = 0;
    for (int factor = 1; factor <= 8; ++factor)
    {
        PolyphaseInterpolator singleA, singleB, pairA, pairB;
        for (PolyphaseInterpolator* u : {&singleA, &singleB, &pairA, &pairB})
            u->Design(20 * factor, 0.525 / factor, factor);
        for (int n = 0; n < 600; ++n)
        {
            if (n == 200)
                for (PolyphaseInterpolator* u : {&singleA, &singleB, &pairA, &pairB})
                    u->Design(8 * factor + 3, 0.4 / factor, factor);
            if (n == 400)
                for (PolyphaseInterpolator* u : {&singleB, &pairB})
                    u->Design(20 * factor, 0.525 / factor, factor);
            const double xa = std::sin(0.05 * n) + 1e-3 * (n % 7), xb = std::ldexp(std::cos(0.3 * n), n % 21 - 10);
            singleA.Push(xa);
            singleB.Push(xb);
            Lanes2 out[8];
            PolyphaseInterpolator::PushPair(pairA, pairB, xa, xb, out);
            for (int k = 0; k < factor; ++k)
            {
                const double want[2] = {singleA.Next(), singleB.Next()};
                const double have[2] = {out[k].A(), out[k].B()};
                mismatches += std::memcmp(want, have, sizeof want) != 0;
            }
            // Next() after the pair starts over at the group's first value.
            if (n % 97 == 5)
                mismatches += pairA.Next() != out[0].A() || pairB.Next() != out[0].B();
        }
    }
    CHECK_EQ(mismatches, 0);
}

// The paired hiss must be the two generators' hiss exactly: both colour
// mixes and a colour change midway. Seeds 47690 and 88418 meet the pink
// sum's bounds within their first thousand steps, so a row is drawn again in
// one lane while the other goes on.
MODULE_TEST(NoisePair, EachLaneMatchesAGeneratorWithItsSeedBitForBit)
{
    const std::uint32_t seeds[][2] = {{47690u, 2024u}, {2024u, 88418u}, {0x1234567u, 96886u}};
    for (double colour : {0.487941, 0.97, 1.3, 2.5})
        for (const auto& seed : seeds)
    {
        NoiseGenerator a(seed[0]), b(seed[1]);
        NoisePair pair(seed[0], seed[1]);
        for (int step = 0; step < 2; ++step)
        {
            const double c = step == 0 ? colour : colour * 1.25;
            a.Configure(-110.25, c, 176400.0);
            b.Configure(-110.25, c, 176400.0);
            pair.Configure(-110.25, c, 176400.0);
            int mismatches = 0;
            for (int n = 0; n < 40000; ++n)
            {
                const double wantA = a.Next(), wantB = b.Next();
                const Lanes2 got = pair.Next();
                mismatches += !SameBits(wantA, got.A()) || !SameBits(wantB, got.B());
            }
            CHECK_EQ(mismatches, 0);
            CHECK_EQ(a.State(), pair.State(0));
            CHECK_EQ(b.State(), pair.State(1));
        }
    }
}

#if defined(VELTO_LANES4)
namespace
{
// Blocks of eight, four and two steps in turn, two steps to a 256-bit value.
template <int N>
__attribute__((target("avx2"))) void RunNoiseBlock(NoisePair& pair, Lanes2* out)
{
    pair.Run<N, Lanes4>(out);
}

void RunNoiseBlocks(NoisePair& pair, Lanes2* out, int steps, bool avx2)
{
    static constexpr int kLengths[] = {8, 4, 2, 8, 8};
    for (int n = 0, k = 0; n < steps; ++k)
    {
        const int length = kLengths[k % 5];
        if (length == 8)
            avx2 ? RunNoiseBlock<8>(pair, out + n) : pair.Run<8, Lanes4>(out + n);
        else if (length == 4)
            avx2 ? RunNoiseBlock<4>(pair, out + n) : pair.Run<4, Lanes4>(out + n);
        else
            avx2 ? RunNoiseBlock<2>(pair, out + n) : pair.Run<2, Lanes4>(out + n);
        n += length;
    }
}
}  // namespace

// Blocks drawing two steps at a time give the single steps' hiss exactly.
// The run passes the pink sum's bounds (seeds 47690 and 88418 within their
// first thousand steps) and counters 2^k - 1 to 2^k, where the pink row
// changes inside a block, so the single-step fallback runs as well.
MODULE_TEST(NoisePair, BlocksMatchSingleStepsBitForBit)
{
    __builtin_cpu_init();
    const bool avx2 = __builtin_cpu_supports("avx2");
    constexpr int kSteps = 1333 * 30;  // whole rounds of the block lengths
    std::vector<Lanes2> want(kSteps), got(kSteps);
    const std::uint32_t seeds[][2] = {{47690u, 2024u}, {2024u, 88418u}};
    for (double colour : {0.487941, 1.3})
        for (const auto& seed : seeds)
            for (bool wide : {false, true})
            {
                NoisePair steps(seed[0], seed[1]), blocks(seed[0], seed[1]);
                steps.Configure(-110.25, colour, 176400.0);
                blocks.Configure(-110.25, colour, 176400.0);
                for (Lanes2& v : want)
                    v = steps.Next();
                RunNoiseBlocks(blocks, got.data(), kSteps, wide && avx2);
                int mismatches = 0;
                for (int n = 0; n < kSteps; ++n)
                    mismatches += !SameBits(want[n].A(), got[n].A()) || !SameBits(want[n].B(), got[n].B());
                CHECK_EQ(mismatches, 0);
                CHECK_EQ(steps.State(0), blocks.State(0));
                CHECK_EQ(steps.State(1), blocks.State(1));
            }
}
#endif

