#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <cstdio>
#include <random>
#include <vector>

#include "DryDelayLine.h"
#include "PolyphaseDecimator.h"
#include "PolyphaseInterpolator.h"
#include "Signals.h"
#include "WindowedSinc.h"

using testsig::SineGain;
using testsig::ToDb;

namespace
{
constexpr int kFactor = 4;
constexpr double kBaseRate = 44100.0;

// The chain's oversampling design: 20 taps per branch up, 44 down.
struct RoundTrip
{
    PolyphaseInterpolator up;
    PolyphaseDecimator down;

    RoundTrip()
    {
        up.Design(20 * kFactor, 0.525 / kFactor, kFactor);
        down.Design(44 * kFactor, 0.497 / kFactor, kFactor);
    }

    double Process(double x)
    {
        up.Push(x);
        for (int k = 0; k < kFactor; ++k)
            down.Push(up.Next());
        return down.TakeOutput();
    }
};

// Obvious references at the oversampled rate: zero-stuffing followed by the
// full prototype (times L), and the full prototype followed by keeping the
// last sample of each group of L.
struct DirectInterpolator
{
    int l;
    std::vector<double> h, line;  // line: newest first, oversampled

    DirectInterpolator(int taps, double cutoff, int factor) : l(factor), h(taps), line(taps, 0.0)
    {
        DesignWindowedSinc(h.data(), taps, cutoff);
    }

    std::vector<double> Push(double x)
    {
        std::vector<double> y;
        for (int k = 0; k < l; ++k)
        {
            line.insert(line.begin(), k == 0 ? x : 0.0);
            line.pop_back();
            double s = 0.0;
            for (std::size_t i = 0; i < h.size(); ++i)
                s += h[i] * line[i];
            y.push_back(s * l);
        }
        return y;
    }
};

struct DirectDecimator
{
    int l;
    std::vector<double> h, line;

    DirectDecimator(int taps, double cutoff, int factor) : l(factor), h(taps), line(taps, 0.0)
    {
        DesignWindowedSinc(h.data(), taps, cutoff);
    }

    double Group(const double* u)
    {
        for (int k = 0; k < l; ++k)
        {
            line.insert(line.begin(), u[k]);
            line.pop_back();
        }
        double s = 0.0;
        for (std::size_t i = 0; i < h.size(); ++i)
            s += h[i] * line[i];
        return s;
    }
};

int PeakIndex(const std::vector<double>& v)
{
    int best = 0;
    for (int i = 1; i < static_cast<int>(v.size()); ++i)
        if (std::fabs(v[i]) > std::fabs(v[best]))
            best = i;
    return best;
}
}  // namespace

TEST(WindowedSinc, IsSymmetricWithItsPeakInTheMiddle)
{
    double h[176];
    DesignWindowedSinc(h, 176, 0.497 / 4);
    for (int i = 0; i < 88; ++i)
        EXPECT_NEAR(h[i], h[175 - i], 1e-15) << i;
    EXPECT_GT(h[87], 0.0);
    EXPECT_EQ(h[87], h[88]);
    // Window ends at zero.
    EXPECT_NEAR(h[0], 0.0, 1e-18);
}

TEST(WindowedSinc, ZeroCutoffGivesZerosNotNaN)
{
    double h[16];
    DesignWindowedSinc(h, 16, 0.0);
    for (double v : h)
        EXPECT_EQ(v, 0.0);
}

TEST(Polyphase, BranchesMatchTheDirectFormReference)
{
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    struct Design { int taps; double cutoff; int factor; };
    for (Design d : {Design{80, 0.525 / 4, 4}, Design{176, 0.497 / 4, 4}, Design{48, 0.2, 2},
                     Design{504, 0.06, 8}, Design{81, 0.15, 3}})
    {
        PolyphaseInterpolator up;
        up.Design(d.taps, d.cutoff, d.factor);
        ASSERT_EQ(up.TotalTaps(), d.taps);
        DirectInterpolator refUp(d.taps, d.cutoff, d.factor);
        PolyphaseDecimator down;
        down.Design(d.taps, d.cutoff, d.factor);
        DirectDecimator refDown(d.taps, d.cutoff, d.factor);
        double group[8];
        for (int n = 0; n < 300; ++n)
        {
            const double x = u(rng);
            up.Push(x);
            const std::vector<double> ref = refUp.Push(x);
            for (int k = 0; k < d.factor; ++k)
            {
                const double v = up.Next();
                ASSERT_NEAR(v, ref[k], 1e-14) << d.taps << " n=" << n << " k=" << k;
                group[k] = u(rng);
                down.Push(group[k]);
            }
            ASSERT_NEAR(down.TakeOutput(), refDown.Group(group), 1e-14) << d.taps << " n=" << n;
        }
    }
}

TEST(Polyphase, DesignLimitsClampTapsCutoffAndFactor)
{
    PolyphaseInterpolator up;
    EXPECT_EQ(up.Factor(), 2);  // placeholder until the first design
    up.Design(3, 0.1, 4);
    EXPECT_EQ(up.TotalTaps(), 8);
    up.Design(78, 0.1, 4);
    EXPECT_EQ(up.TotalTaps(), 80);
    EXPECT_EQ(up.BranchTaps(), 20);
    up.Design(1000, 0.1, 8);
    EXPECT_EQ(up.TotalTaps(), 504);
    EXPECT_EQ(up.BranchTaps(), 63);
    up.Design(100, 0.1, 12);
    EXPECT_EQ(up.Factor(), 8);
    // A branch holds 64 taps: long filters at small factors are cut to fit.
    up.Design(504, 0.1, 4);
    EXPECT_EQ(up.TotalTaps(), 256);
    EXPECT_EQ(up.BranchTaps(), 64);
    PolyphaseDecimator down;
    down.Design(504, 0.1, 2);
    EXPECT_EQ(down.BranchTaps(), 64);
    down.Design(504, 0.1, 5);
    EXPECT_EQ(down.TotalTaps(), 320);

    // Cutoff above 0.5 is treated as 0.5 (a half-band all-pass-like design).
    PolyphaseInterpolator a, b;
    a.Design(80, 0.9, 4);
    b.Design(80, 0.5, 4);
    for (int p = 0; p < 4; ++p)
        for (int k = 0; k < 20; ++k)
            EXPECT_EQ(a.Coefficient(p, k), b.Coefficient(p, k));
}

// Designing again with the arguments of the design before keeps its
// coefficients (the bypass switch does that); a different design in between
// must not leave any of its own behind.
TEST(Polyphase, RedesignBackAndForthMatchesAFreshDesign)
{
    PolyphaseInterpolator freshUp, up;
    PolyphaseDecimator freshDown, down;
    freshUp.Design(80, 0.525 / 4, 4);
    freshDown.Design(176, 0.497 / 4, 4);
    up.Design(80, 0.525 / 4, 4);
    up.Design(48, 0.2, 2);
    up.Design(80, 0.525 / 4, 4);
    up.Design(80, 0.525 / 4, 4);
    down.Design(176, 0.497 / 4, 4);
    down.Design(81, 0.15, 3);
    down.Design(176, 0.497 / 4, 4);
    down.Design(176, 0.497 / 4, 4);
    for (int n = 0; n < 200; ++n)
    {
        const double x = std::sin(0.37 * n) + (n == 5 ? 1.0 : 0.0);
        freshUp.Push(x);
        up.Push(x);
        for (int p = 0; p < 4; ++p)
        {
            const double a = freshUp.Next(), b = up.Next();
            ASSERT_EQ(a, b) << "n=" << n;
            freshDown.Push(a);
            down.Push(b);
        }
        ASSERT_EQ(freshDown.TakeOutput(), down.TakeOutput()) << "n=" << n;
    }
}

TEST(Polyphase, ImpulseThroughBothComesOutAtTheDryDelay)
{
    RoundTrip rt;
    std::vector<double> out;
    for (int n = 0; n < 128; ++n)
        out.push_back(rt.Process(n == 0 ? 1.0 : 0.0));
    const int peak = PeakIndex(out);
    EXPECT_EQ(peak, 31);
    // Linear phase about an integer delay: the response is symmetric.
    for (int j = 1; j < 31; ++j)
        EXPECT_NEAR(out[31 - j], out[31 + j], 1e-12) << j;

    DryDelayLine dry;
    dry.Resize((44 + 20) / 2);
    int dryPeak = -1;
    for (int n = 0; n < 64; ++n)
    {
        dry.Write(n == 0 ? 1.0 : 0.0);
        if (dry.Read() == 1.0)
            dryPeak = n;
    }
    EXPECT_EQ(dryPeak, peak);
}

TEST(Polyphase, RoundTripNullsAgainstTheDryDelay)
{
    RoundTrip rt;
    DryDelayLine dry;
    dry.Resize(32);
    const double w = 2.0 * testsig::kPi * 1000.0 / kBaseRate;
    double residual = 0.0, signal = 0.0;
    for (int n = 0; n < 20000; ++n)
    {
        const double x = std::sin(w * n);
        dry.Write(x);
        const double d = rt.Process(x) - dry.Read();
        if (n > 1000)
        {
            residual += d * d;
            signal += x * x;
        }
    }
    // Only the 0.08 dB pass-band gain of the windowed designs remains.
    EXPECT_LT(ToDb(std::sqrt(residual / signal)), -38.0);
}

TEST(Polyphase, RoundTripIsFlatInThePassband)
{
    for (double f : {50.0, 1000.0, 5000.0, 10000.0, 15000.0, 18000.0})
    {
        RoundTrip rt;
        const double g = ToDb(SineGain([&](double x) { return rt.Process(x); }, f, kBaseRate, 2000, 44100));
        EXPECT_NEAR(g, 0.07, 0.03) << f;
    }
    RoundTrip rt;
    EXPECT_NEAR(ToDb(SineGain([&](double x) { return rt.Process(x); }, 20000.0, kBaseRate, 2000, 44100)), -0.6,
                0.3);
}

TEST(Polyphase, InterpolatorPassesTheSignalAndRejectsItsImages)
{
    struct Case { double f, imageBelowDb, imageAboveDb; };
    for (Case c : {Case{1000.0, -90.0, -90.0}, Case{5000.0, -85.0, -100.0}, Case{15000.0, -65.0, -100.0}})
    {
        PolyphaseInterpolator up;
        up.Design(80, 0.525 / 4, 4);
        std::vector<double> y;
        const double w = 2.0 * testsig::kPi * c.f / kBaseRate;
        for (int n = 0; n < 44100; ++n)
        {
            up.Push(std::sin(w * n));
            for (int k = 0; k < 4; ++k)
                y.push_back(up.Next());
        }
        auto level = [&](double fo) {
            std::size_t i = 0;
            return ToDb(SineGain([&](double) { return y[4000 + i++]; }, fo, 4 * kBaseRate, 0, 160000));
        };
        EXPECT_NEAR(level(c.f), 0.0, 0.02) << c.f;
        EXPECT_LT(level(kBaseRate - c.f), c.imageBelowDb) << c.f;
        EXPECT_LT(level(kBaseRate + c.f), c.imageAboveDb) << c.f;
    }
}

TEST(Polyphase, DecimatorRejectsWhatWouldAlias)
{
    struct Case { double f, maxDb; };
    for (Case c : {Case{1000.0, 0.2}, Case{30000.0, -60.0}, Case{60000.0, -90.0}, Case{100000.0, -90.0}})
    {
        PolyphaseDecimator down;
        down.Design(176, 0.497 / 4, 4);
        const double w = 2.0 * testsig::kPi * c.f / (4 * kBaseRate);
        std::vector<double> y;
        for (int n = 0; n < 44100; ++n)
        {
            for (int k = 0; k < 4; ++k)
                down.Push(std::sin(w * (4 * n + k)));
            y.push_back(down.TakeOutput());
        }
        // Strongest base-rate component: scan a coarse grid around the alias.
        const double alias = std::fabs(c.f - kBaseRate * std::round(c.f / kBaseRate));
        std::size_t i = 0;
        const double db = ToDb(SineGain([&](double) { return y[1000 + i++]; }, alias, kBaseRate, 0, 40000));
        EXPECT_LT(db, c.maxDb) << c.f;
    }
}

TEST(DryDelayLine, DelaysBySlotsMinusOne)
{
    for (int slots : {2, 5, 32})
    {
        DryDelayLine line;
        line.Resize(slots);
        EXPECT_EQ(line.Slots(), slots);
        int out = -1;
        for (int n = 0; n < 3 * slots; ++n)
        {
            line.Write(n == 0 ? 1.0 : 0.0);
            if (line.Read() == 1.0 && out < 0)
                out = n;
        }
        EXPECT_EQ(out, slots - 1) << slots;
    }
}

TEST(DryDelayLine, TooFewSlotsStillGiveAValidRing)
{
    DryDelayLine line;
    line.Resize(0);
    EXPECT_EQ(line.Slots(), 2);
    line.Write(0.5);
    line.Read();
    line.Write(0.25);
    EXPECT_EQ(line.Read(), 0.5);
    // Growing again after shrinking works and keeps the one-sample rule.
    line.Resize(40);
    line.Resize(8);
    EXPECT_EQ(line.Slots(), 8);
}
