#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "EnvelopeFollower.h"
#include "FollowerPair.h"
#include "FpEnvironment.h"
#include "RmsFollower.h"

namespace
{
// Samples for a follower with time T ms at fs to cover 1 - 1/e of a step:
// each sample multiplies the remaining distance by exp(-0.43533 / (T fs / 1000)).
double SamplesToOneOverE(double timeMs, double rateHz)
{
    return timeMs * rateHz * 0.001 / 0.4353339357479107;
}
}  // namespace

TEST(EnvelopeFollower, AttackStepReachesOneMinusOneOverEOnItsTimeScale)
{
    const double fs = 48000.0;
    EnvelopeFollower f;
    f.Configure(5.0, 3000.0, fs);
    const int n = static_cast<int>(std::lround(SamplesToOneOverE(5.0, fs)));  // 551
    for (int i = 0; i < n; ++i)
        f.Update(1.0);
    EXPECT_NEAR(f.state, 1.0 - std::exp(-1.0), 2e-3);
    EXPECT_EQ(f.lastInput, 1.0);
}

TEST(EnvelopeFollower, ReleaseDecaysToOneOverEOnItsTimeScale)
{
    const double fs = 44100.0;
    EnvelopeFollower f;
    f.Configure(0.001, 300.0, fs);
    f.Update(1.0);
    const int n = static_cast<int>(std::lround(SamplesToOneOverE(300.0, fs)));
    for (int i = 0; i < n; ++i)
        f.Update(0.0);
    EXPECT_NEAR(f.state, std::exp(-1.0), 1e-4);
}

TEST(EnvelopeFollower, AttackShorterThanOneSampleFollowsAtOnce)
{
    EnvelopeFollower f;
    f.Configure(0.001, 300.0, 44100.0);  // one sample is 0.0227 ms
    EXPECT_EQ(f.attackCoef, 2.22045e-12);
    f.Update(0.5);
    EXPECT_NEAR(f.state, 0.5, 2e-12);
    // One sample exactly is not shorter: a real coefficient.
    f.Configure(1000.0 / 44100.0, 300.0, 44100.0);
    EXPECT_NEAR(f.attackCoef, std::exp(-0.4353339357479107), 1e-13);
}

TEST(EnvelopeFollower, LevelsBelowOneMicroFlushToZero)
{
    EnvelopeFollower f;
    f.Configure(0.001, 1.0, 44100.0);
    f.Update(2e-6);
    EXPECT_GT(f.state, 0.0);
    int n = 0;
    while (f.state > 0.0 && n < 1000)
    {
        f.Update(0.0);
        ++n;
    }
    EXPECT_EQ(f.state, 0.0);
    EXPECT_LT(n, 100);
    f.Update(9.9e-7);  // an attack to below the floor stays at zero
    EXPECT_EQ(f.state, 0.0);
}

TEST(EnvelopeFollower, CoefficientsAreRecomputedOnlyWhenTimeOrRateChange)
{
    EnvelopeFollower f;
    f.Configure(5.0, 3000.0, 44100.0);
    const double attack = f.attackCoef;
    f.attackCoef = 0.25;
    f.releaseCoef = 0.75;
    f.Configure(5.0 + 1e-12, 3000.0, 44100.7);  // same truncated rate, tiny move
    EXPECT_EQ(f.attackCoef, 0.25);
    EXPECT_EQ(f.releaseCoef, 0.75);
    f.Configure(5.0, 3000.0, 48000.0);
    EXPECT_NE(f.attackCoef, attack);
    EXPECT_NE(f.releaseCoef, 0.75);
    f.Configure(6.0, 3000.0, 48000.0);
    EXPECT_NEAR(f.attackCoef, std::exp(-0.4353339357479107 / 288.0), 1e-13);
}

TEST(EnvelopeFollower, ClearZeroesTheLevelsButKeepsTheBallistics)
{
    EnvelopeFollower f;
    f.Configure(5.0, 3000.0, 44100.0);
    f.Update(0.7);
    f.display = 0.3;
    const double release = f.releaseCoef;
    f.Clear();
    EXPECT_EQ(f.state, 0.0);
    EXPECT_EQ(f.display, 0.0);
    EXPECT_EQ(f.lastInput, 0.0);
    EXPECT_EQ(f.releaseCoef, release);
}

TEST(RmsFollower, SettlesOnTheRootMeanSquare)
{
    const double fs = 44100.0;
    RmsFollower r;
    r.Configure(750.0, fs);
    EXPECT_NEAR(r.Rms(), std::sqrt(2.22045e-15), 1e-20);
    // A full-scale sine (alternating +-1 and 0 levels via |sin|).
    for (int n = 0; n < 10 * 44100; ++n)
        r.Update(std::fabs(std::sin(2.0 * 3.141592653589793 * 1000.0 * n / fs)));
    EXPECT_NEAR(r.Rms(), std::sqrt(0.5), 2e-3);
    for (int n = 0; n < 20 * 44100; ++n)
        r.Update(0.25);
    EXPECT_NEAR(r.Rms(), 0.25, 5e-5);
    r.Clear();
    EXPECT_EQ(r.ms, 0.0);
}

#if VELTO_HAS_MXCSR
// A meter's two channels run side by side must give each channel's own
// follower bit for bit: bursts, decays below the flush level, equal levels
// and a NaN, over blocks, with the state handed back and taken again.
TEST(FollowerPair, GivesTheSameLevelsAsTwoFollowers)
{
    const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    EnvelopeFollower single[2], paired[2];
    RmsFollower singleRms[2], pairedRms[2];
    for (int c = 0; c < 2; ++c)
    {
        single[c].Configure(c == 0 ? 0.001 : 5.0, 300.0 + 2700.0 * c, 44100.0);
        singleRms[c].Configure(750.0, 44100.0);
        paired[c] = single[c];
        pairedRms[c] = singleRms[c];
    }
    int mismatches = 0;
    for (int block = 0; block < 60; ++block)
    {
        FollowerPair pair;
        RmsPair rms;
        pair.Load(paired);
        rms.Load(pairedRms);
        for (int i = 0; i < 512; ++i)
        {
            const int n = block * 512 + i;
            const double level = (n / 3000) % 2 == 0 ? std::fabs(std::sin(0.01 * n)) : 0.0;
            const double v[2] = {n == 30000 ? std::nan("") : level, (n % 5 == 0) ? single[1].state : 0.5 * level};
            for (int c = 0; c < 2; ++c)
            {
                single[c].Update(v[c]);
                singleRms[c].Update(v[c]);
            }
            pair.Update(Lanes2::Of(v[0], v[1]));
            rms.Update(Lanes2::Of(v[0], v[1]));
        }
        pair.Store(paired);
        rms.Store(pairedRms);
        for (int c = 0; c < 2; ++c)
            mismatches += !same(single[c].state, paired[c].state) || !same(single[c].lastInput, paired[c].lastInput)
                          || !same(singleRms[c].ms, pairedRms[c].ms);
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(ScopedDenormalGuard, FlushesDenormalsInsideAndRestoresTheCallersModeAfter)
{
    const unsigned before = _mm_getcsr();
    volatile double tiny = 1e-300;
    {
        ScopedDenormalGuard guard;
        EXPECT_EQ(_mm_getcsr(), 0xFFC0u);
        volatile double product = tiny * 1e-10;  // denormal result: flushed
        EXPECT_EQ(product, 0.0);
        volatile double zero = 0.0;
        volatile double q = 1.0 / zero;  // raises divide-by-zero (masked)
        (void)q;
        EXPECT_NE(_mm_getcsr() & 0x3Fu, 0u);
    }
    EXPECT_EQ(_mm_getcsr(), before & ~0x3Fu);
    volatile double product = tiny * 1e-10;
    EXPECT_GT(product, 0.0);
}

TEST(ScopedDenormalGuard, ClearsTheStickyFlagsTheCallerHad)
{
    volatile double zero = 0.0;
    volatile double q = 1.0 / zero;  // sets the divide-by-zero flag
    (void)q;
    const unsigned before = _mm_getcsr();
    ASSERT_NE(before & 0x3Fu, 0u);
    {
        ScopedDenormalGuard guard;
    }
    EXPECT_EQ(_mm_getcsr(), before & ~0x3Fu);
}
#endif
