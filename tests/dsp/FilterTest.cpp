#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "BiquadSection.h"
#include "HighpassPair.h"
#include "OnePoleLowpass.h"
#include "Signals.h"

using testsig::SineGain;
using testsig::ToDb;

TEST(OnePoleLowpass, CoefficientIsTheAnalogPoleAtTheRate)
{
    OnePoleLowpass lp;
    lp.Design(1000.0, 176400.0);
    EXPECT_NEAR(lp.a1, std::exp(-2.0 * testsig::kPi * 1000.0 / 176400.0), 1e-15);
    EXPECT_EQ(lp.b0, 1.0 - lp.a1);
}

TEST(OnePoleLowpass, PassesDcAndIsThreeDecibelsDownAtTheCorner)
{
    const double fs = 176400.0, fc = 200.0;
    OnePoleLowpass lp;
    lp.Design(fc, fs);
    double y = 0.0;
    for (int n = 0; n < 20000; ++n)
        y = lp.Process(1.0);
    EXPECT_NEAR(y, 1.0, 1e-12);

    auto run = [fc, fs](double f) {
        OnePoleLowpass s;
        s.Design(fc, fs);
        return ToDb(SineGain([&](double x) { return s.Process(x); }, f, fs, 20000, 88200));
    };
    EXPECT_NEAR(run(fc), -3.01, 0.02);
    EXPECT_NEAR(run(10.0 * fc), -20.04, 0.1);   // -6 dB/octave
    EXPECT_NEAR(run(20.0 * fc), -26.03, 0.15);
    EXPECT_NEAR(run(fc / 20.0), 0.0, 0.02);
}

TEST(OnePoleLowpass, ComplementIsAHighpassWithTheSameCorner)
{
    // Low corner relative to the rate, where the discrete section is close to
    // its analog prototype (the complement's high-frequency gain is a1).
    const double fs = 176400.0, fc = 200.0;
    auto run = [fc, fs](double f) {
        OnePoleLowpass s;
        s.Design(fc, fs);
        return ToDb(SineGain([&](double x) { return x - s.Process(x); }, f, fs, 20000, 88200));
    };
    EXPECT_NEAR(run(fc), -3.01, 0.08);
    EXPECT_NEAR(run(fc / 10.0), -20.04, 0.15);
    EXPECT_NEAR(run(20000.0), 0.0, 0.1);
}

TEST(OnePoleLowpass, RedesignKeepsTheState)
{
    OnePoleLowpass lp;
    lp.Design(100.0, 44100.0);
    lp.Process(1.0);
    const double y = lp.y;
    lp.Design(5000.0, 44100.0);
    EXPECT_EQ(lp.y, y);
}

namespace
{
double HighpassGainDb(double f, double fc, double q, double fs, bool df1)
{
    BiquadSection s;
    s.DesignHighpass(fc, q, fs);
    const int settle = static_cast<int>(fs);
    return ToDb(SineGain([&](double x) { return df1 ? s.ProcessDF1(x) : s.ProcessDF2(x); }, f, fs, settle,
                         static_cast<int>(fs)));
}

// Analog second-order Butterworth high-pass magnitude at f/fc.
double ButterworthDb(double ratio)
{
    const double r2 = ratio * ratio;
    return ToDb(r2 / std::sqrt(1.0 + r2 * r2));
}
}  // namespace

TEST(BiquadSection, ButterworthHighpassIsThreeDecibelsDownAtTheCorner)
{
    for (bool df1 : {true, false})
    {
        EXPECT_NEAR(HighpassGainDb(1000.0, 1000.0, 0.7071, 44100.0, df1), -3.01, 0.01);
        EXPECT_NEAR(HighpassGainDb(100.0, 100.0, 0.7071, 44100.0, df1), -3.01, 0.01);
    }
}

TEST(BiquadSection, HighpassFallsTwelveDecibelsPerOctave)
{
    const double fc = 1000.0, fs = 44100.0;
    for (double ratio : {0.5, 0.25, 0.1})
        EXPECT_NEAR(HighpassGainDb(ratio * fc, fc, 0.7071, fs, true), ButterworthDb(ratio), 0.05) << ratio;
    EXPECT_NEAR(HighpassGainDb(62.5, fc, 0.7071, fs, false), -48.2, 0.1);  // four octaves down
    EXPECT_NEAR(HighpassGainDb(8000.0, fc, 0.7071, fs, true), 0.0, 0.01);
}

TEST(BiquadSection, HigherQPeaksAboveTheCorner)
{
    // At the corner the magnitude equals Q.
    EXPECT_NEAR(HighpassGainDb(1000.0, 1000.0, 1.0, 44100.0, true), 0.0, 0.02);
    EXPECT_NEAR(HighpassGainDb(1000.0, 1000.0, 2.0, 44100.0, true), 6.02, 0.03);
}

TEST(BiquadSection, DirectFormsOneAndTwoGiveTheSameOutput)
{
    BiquadSection a, b;
    a.DesignHighpass(300.0, 1.3065, 48000.0);
    b = a;
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    double worst = 0.0;
    for (int n = 0; n < 50000; ++n)
    {
        const double x = u(rng);
        worst = std::max(worst, std::fabs(a.ProcessDF1(x) - b.ProcessDF2(x)));
    }
    EXPECT_LT(worst, 1e-12);

    BiquadSection p, q;
    p.DesignPeak(3636.0, 0.34, -0.36, 176400.0);
    q = p;
    worst = 0.0;
    for (int n = 0; n < 50000; ++n)
    {
        const double x = u(rng);
        worst = std::max(worst, std::fabs(p.ProcessDF1(x) - q.ProcessDF2(x)));
    }
    EXPECT_LT(worst, 1e-12);
}

TEST(BiquadSection, PeakReachesItsGainAtTheCentreAndNothingFarAway)
{
    const double fs = 176400.0;
    auto gainDb = [fs](double f, double fc, double q, double g) {
        BiquadSection s;
        s.DesignPeak(fc, q, g, fs);
        return ToDb(SineGain([&](double x) { return s.ProcessDF1(x); }, f, fs, 176400, 176400));
    };
    EXPECT_NEAR(gainDb(1000.0, 1000.0, 0.7, 6.0), 6.0, 0.01);
    EXPECT_NEAR(gainDb(1000.0, 1000.0, 0.7, -12.0), -12.0, 0.01);
    EXPECT_NEAR(gainDb(20.0, 1000.0, 2.0, 6.0), 0.0, 0.05);
    EXPECT_NEAR(gainDb(40000.0, 1000.0, 2.0, 6.0), 0.0, 0.05);
    // 0 dB is a null filter.
    EXPECT_NEAR(gainDb(5000.0, 1000.0, 0.5, 0.0), 0.0, 1e-9);
}

TEST(BiquadSection, ClearMemoryZeroesBothForms)
{
    BiquadSection s;
    s.DesignHighpass(100.0, 0.7071, 44100.0);
    s.ProcessDF1(1.0);
    s.ProcessDF2(1.0);
    s.ClearMemory();
    EXPECT_EQ(s.ProcessDF1(0.0), 0.0);
    EXPECT_EQ(s.ProcessDF2(0.0), 0.0);
    EXPECT_EQ(s.order, 2);
    EXPECT_TRUE(s.enabled);
}

// The stereo output high-pass run in lanes over blocks gives each channel's
// own cascade bit for bit, for each roll-off, with the memories handed back
// between blocks and a redesign in between.
TEST(HighpassPair, GivesEachChannelsOwnCascade)
{
    const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    for (int rollOff : {2, 3, 4})
    {
        BiquadSection first[2], second[2], pairFirst[2], pairSecond[2];
        OnePoleLowpass pre[2], pairPre[2];
        const auto design = [&](double hz) {
            // Designs keep the memories, so each set keeps its own.
            for (int c = 0; c < 2; ++c)
            {
                for (BiquadSection* s : {&first[c], &pairFirst[c]})
                    s->DesignHighpass(hz * (1 + c), 0.5412, 48000.0);
                for (BiquadSection* s : {&second[c], &pairSecond[c]})
                    s->DesignHighpass(hz, 1.3065, 48000.0);
                for (OnePoleLowpass* s : {&pre[c], &pairPre[c]})
                    s->Design(hz * 0.7, 48000.0);
            }
        };
        design(30.0);
        int mismatches = 0;
        for (int block = 0; block < 40; ++block)
        {
            if (block == 20)
                design(45.0);
            HighpassPair pair;
            pair.Load(pairFirst, pairSecond, pairPre, rollOff);
            for (int i = 0; i < 256; ++i)
            {
                const int n = block * 256 + i;
                const double x[2] = {std::sin(0.003 * n) + 0.3, 0.5 * std::cos(0.0171 * n) - 0.2};
                double want[2];
                for (int c = 0; c < 2; ++c)
                {
                    double v = x[c];
                    if (rollOff == 3)
                        v = first[c].ProcessDF2(v - pre[c].Process(v));
                    else
                        v = first[c].ProcessDF2(v);
                    want[c] = rollOff == 4 ? second[c].ProcessDF1(v) : v;
                }
                const Lanes2 got = pair.Process(Lanes2::Of(x[0], x[1]));
                mismatches += !same(want[0], got.A()) || !same(want[1], got.B());
            }
            pair.Store(pairFirst, pairSecond, pairPre);
        }
        EXPECT_EQ(mismatches, 0) << "roll-off " << rollOff;
    }
}
