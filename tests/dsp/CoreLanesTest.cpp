#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "SaturationCore.h"
#include "SaturationStagePair.h"

namespace
{
bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Inputs over many octaves, with the values the stage treats specially:
// silence, values below 2^-54, non-finite values, values past the curves'
// input limit and runs of rising and falling levels around the envelope
// threshold.
double StageInput(std::mt19937& rng, int n)
{
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> octave(-20, 4);
    switch (n % 97)
    {
    case 3: return 0.0;
    case 11: return 3e-17;
    case 17: return std::numeric_limits<double>::quiet_NaN();
    case 29: return -std::numeric_limits<double>::infinity();
    case 41: return 3e31;
    case 53: return 3.1622776601690267e-05;
    default: break;
    }
    if ((n / 40) % 3 == 1)
        return 0.4 * std::sin(0.05 * n);  // smooth stretch: the envelope attacks and releases
    return std::ldexp(mantissa(rng), octave(rng));
}

template <SaturationStage::Curve C>
int Mismatches(double w, double s, unsigned seed)
{
    std::mt19937 rng(seed);
    SaturationStage scalar[2];
    SaturationStagePair pair;
    for (SaturationStage& st : scalar)
    {
        st.curve = C;
        st.attack = pair.attack = 0.9993;
        st.release = pair.release = 0.99998;
    }
    int mismatches = 0;
    for (int n = 0; n < 20000; ++n)
    {
        const double xa = StageInput(rng, n), xb = StageInput(rng, n + 50);
        const double ka = 0.02 + 0.01 * std::sin(0.001 * n), kb = 0.3;
        const double want[2] = {scalar[0].Process(xa, w, ka, s), scalar[1].Process(xb, w, kb, s)};
        const Lanes2 got = pair.Process<C>(Lanes2::Of(xa, xb), w, Lanes2::Of(ka, kb), s);
        mismatches += !SameBits(want[0], got.A()) || !SameBits(want[1], got.B());
        mismatches += !SameBits(scalar[0].env, pair.env[0]) || !SameBits(scalar[1].previousAbs, pair.previousAbs[1]);
    }
    return mismatches;
}
}  // namespace

// The core runs channels A and B of each band through one pair; each lane
// must give exactly what a scalar stage with the same history gives, for
// both curves, with and without the envelope weight and the asymmetry.
TEST(SaturationStagePair, EachLaneMatchesAScalarStageBitForBit)
{
    for (double w : {0.0, 2.0})
        for (double s : {0.0902, 0.95, 1.0})
        {
            EXPECT_EQ(Mismatches<SaturationStage::Curve::kCurve6>(w, s, 3), 0) << "curve 6, w " << w << ", s " << s;
            EXPECT_EQ(Mismatches<SaturationStage::Curve::kCurve5>(w, s, 4), 0) << "curve 5, w " << w << ", s " << s;
        }
}

// The AVX2 form of the core (where the processor has it) runs the same
// arithmetic as the SSE2 form, and a block runs the same steps as single
// calls: a loud, a quiet and a silent stretch with hiss, a drive and feedback
// change between blocks, blocks of four, of eight and of other lengths, must
// come out the same bit for bit in all four ways.
TEST(SaturationCore, Avx2AndSse2FormsAndBlocksGiveTheSameOutput)
{
    constexpr int kWays = 4;  // single SSE2 (the reference), single AVX2, block SSE2, block AVX2
    std::vector<SaturationCore> cores;
    cores.reserve(kWays);
    for (int w = 0; w < kWays; ++w)
    {
        std::srand(11);  // the same modulation start and noise seeds
        SaturationCore& core = cores.emplace_back();
        core.AllowAvx2(w % 2 == 1);
        core.EnableQuantiserAndHiss(true);
        core.SetModel(4 * 48000.0, 17);
        core.SetDrive(2.5);
        core.SetWorkingValues(0.02, 0.0003, 0.3, 0.9);
    }
    EXPECT_FALSE(cores[0].UsesAvx2());
    int mismatches = 0;
    int n = 0;
    for (int block = 0; n < 30000; ++block)
    {
        const int length = block % 7 == 6   ? 1 + block % 5
                           : block % 3 == 1 ? SaturationCore::kLongBlock
                                            : SaturationCore::kBlock;
        if (n >= 15000 && n < 15000 + length)
            for (SaturationCore& core : cores)
            {
                core.SetDrive(0.7);
                core.SetFeedback(0.4);
            }
        Lanes2 io[kWays][8];
        for (int j = 0; j < length; ++j, ++n)
        {
            const double level = n < 10000 ? 1.5 : (n < 20000 ? 1e-3 : 0.0);
            const Lanes2 in = Lanes2::Of(level * std::sin(0.013 * n), -level * std::sin(0.0071 * n + 1.0));
            for (int w = 0; w < kWays; ++w)
                io[w][j] = w < 2 ? cores[w].Process(in) : in;
        }
        cores[2].ProcessBlock(io[2], length);
        cores[3].ProcessBlock(io[3], length);
        for (int w = 1; w < kWays; ++w)
            for (int j = 0; j < length; ++j)
                mismatches += !SameBits(io[0][j].A(), io[w][j].A()) || !SameBits(io[0][j].B(), io[w][j].B());
    }
    EXPECT_EQ(mismatches, 0);
}

#if defined(VELTO_LANES4)
// The core's two-sample form tests levels on bit patterns. Around each
// boundary those tests claim to keep (the least level 2^-54, the largest
// finite value, zeros of either sign, the envelope threshold) the envelopes of
// both bands at once and the curves two samples at a time must give what the
// one-lane forms give, bit for bit, levels and remembered states included.
TEST(SaturationStagePair, TwoSampleFormsMatchOneLaneFormsAtTheLevelBoundaries)
{
    const double edges[] = {0.0, -0.0, 5.551115123125783e-17, -5.551115123125783e-17, 5.5511151231257820e-17,
                            std::nextafter(5.551115123125783e-17, 0.0), 1.7976931348623157e308,
                            -1.7976931348623157e308, std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
                            3.1622776601690267e-05, std::nextafter(3.1622776601690267e-05, 0.0), 3e31, -0.25, 0.7};
    constexpr int kEdges = sizeof edges / sizeof edges[0];
    constexpr int N = SaturationCore::kLongBlock;
    std::mt19937 rng(5);
    int mismatches = 0;
    SaturationStagePair lowSingle, highSingle, lowBoth, highBoth;
    for (SaturationStagePair* s : {&lowSingle, &highSingle, &lowBoth, &highBoth})
    {
        s->attack = 0.9993;
        s->release = 0.99998;
    }
    const double mod[2 * N] = {1.001, 0.999, 1.002, 0.998, 1.0, 1.0, 0.997, 1.003,
                               1.001, 0.999, 1.002, 0.998, 1.0, 1.0, 0.997, 1.003};
    for (int block = 0; block < 4000; ++block)
    {
        Lanes2 low[N], high[N];
        for (int j = 0; j < N; ++j)
        {
            const auto pick = [&](int k) {
                return rng() % 3 == 0 ? edges[(block * 7 + j * 3 + k) % kEdges] : StageInput(rng, block * N + j + k);
            };
            low[j] = Lanes2::Of(pick(0), pick(1));
            high[j] = Lanes2::Of(pick(2), pick(5));
        }
        Lanes2 lowLevel[N], highLevel[N], lowWant[N], highWant[N];
        const bool weighted = block % 5 != 4;
        SaturationStagePair::Envelopes<N>(lowBoth, highBoth, low, high, lowLevel, highLevel, weighted);
        lowSingle.Envelope<N>(low, lowWant, weighted);
        highSingle.Envelope<N>(high, highWant, weighted);
        for (int j = 0; j < N; ++j)
            for (int lane = 0; lane < 2; ++lane)
                mismatches += !SameBits(lowLevel[j].v[lane], lowWant[j].v[lane])
                              || !SameBits(highLevel[j].v[lane], highWant[j].v[lane]);
        for (int lane = 0; lane < 2; ++lane)
            mismatches += !SameBits(lowBoth.env[lane], lowSingle.env[lane])
                          || !SameBits(highBoth.previousAbs[lane], highSingle.previousAbs[lane]);

        Lanes2 got6[N], want6[N], got5[N], want5[N];
        const Lanes2 amount = Lanes2::Of(0.02, 0.3);
        for (double s : {0.0902, 1.0})
        {
            lowBoth.Shape<SaturationStage::Curve::kCurve6, N, Lanes4>(low, lowLevel, got6, 2.0, amount, mod, s);
            lowBoth.Shape<SaturationStage::Curve::kCurve6, N, Lanes2>(low, lowLevel, want6, 2.0, amount, mod, s);
            highBoth.Shape<SaturationStage::Curve::kCurve5, N, Lanes4>(high, highLevel, got5, 2.0, amount, mod, s);
            highBoth.Shape<SaturationStage::Curve::kCurve5, N, Lanes2>(high, highLevel, want5, 2.0, amount, mod, s);
            for (int j = 0; j < N; ++j)
                for (int lane = 0; lane < 2; ++lane)
                    mismatches += !SameBits(got6[j].v[lane], want6[j].v[lane])
                                  || !SameBits(got5[j].v[lane], want5[j].v[lane]);
        }
    }
    EXPECT_EQ(mismatches, 0);
}
#endif
