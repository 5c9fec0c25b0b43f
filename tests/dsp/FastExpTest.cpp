#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

#include "FastExp.h"

namespace
{
// Worst relative error over [lo, hi] against std::exp, off-grid step.
double WorstRelativeError(double lo, double hi, double step)
{
    double worst = 0.0;
    for (double x = lo; x < hi; x += step)
    {
        const double ref = std::exp(x);
        worst = std::max(worst, std::fabs(FastExp(x) - ref) / ref);
    }
    return worst;
}

class RoundingMode
{
public:
    explicit RoundingMode(int mode) : saved_(std::fegetround()) { std::fesetround(mode); }
    ~RoundingMode() { std::fesetround(saved_); }

private:
    int saved_;
};
}  // namespace

TEST(FastExp, ZeroGivesExactlyOne)
{
    EXPECT_EQ(FastExp(0.0), 1.0);
}

TEST(FastExp, RangeLimitsGiveZeroAndInfinity)
{
    EXPECT_EQ(FastExp(-708.3964185322641), 0.0);
    EXPECT_EQ(FastExp(-1000.0), 0.0);
    EXPECT_EQ(FastExp(-std::numeric_limits<double>::infinity()), 0.0);
    EXPECT_EQ(FastExp(709.782712893384), std::numeric_limits<double>::infinity());
    EXPECT_EQ(FastExp(1e6), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isfinite(FastExp(709.78)));
    EXPECT_NEAR(FastExp(709.78) / std::exp(709.78), 1.0, 1e-12);
    EXPECT_TRUE(std::isnan(FastExp(std::numeric_limits<double>::quiet_NaN())));
}

TEST(FastExp, JustBelowTheUpperLimitRoundsToInfinityInNearestMode)
{
    // x * 2048/ln2 rounds up into the top binade: +inf, never NaN.
    const double x = std::nextafter(709.782712893384, 0.0);
    EXPECT_EQ(FastExp(x), std::numeric_limits<double>::infinity());
}

TEST(FastExp, MinusTwentyFourDecibelsMatchesTheDecimalPower)
{
    const double x = 2.302585092994046 / 20.0 * -24.0;
    EXPECT_NEAR(FastExp(x), 0.0630957344480193, 1e-14);
}

TEST(FastExp, PowersOfTwoComeOutOfTheTableExactlyEnough)
{
    for (int k = -1000; k <= 1000; k += 37)
        EXPECT_NEAR(FastExp(k * 0.6931471805599453) / std::ldexp(1.0, k), 1.0, 1e-13) << k;
}

TEST(FastExp, SweepAgreesWithTheLibraryExponential)
{
    EXPECT_LT(WorstRelativeError(-700.0, 700.0, 0.0137), 1.1e-13);
    EXPECT_LT(WorstRelativeError(-5.0, 5.0, 0.000123), 1.1e-13);
    // Toward the bottom of the range the worst error grows slightly.
    EXPECT_LT(WorstRelativeError(-708.39, -700.0, 0.000731), 1.5e-13);
    EXPECT_LT(WorstRelativeError(700.0, 709.78, 0.000731), 1.1e-13);
}

TEST(FastExp, FollowsTheRoundingModeInForce)
{
    // About half of all arguments round x * 2048/ln2 differently toward zero;
    // those give a different (equally accurate) result.
    double nearest[200];
    for (int i = 0; i < 200; ++i)
        nearest[i] = FastExp(-3.0 + i * 0.0301);
    int differing = 0;
    {
        RoundingMode towardZero(FE_TOWARDZERO);
        for (int i = 0; i < 200; ++i)
            differing += FastExp(-3.0 + i * 0.0301) != nearest[i];
    }
    EXPECT_GT(differing, 50);
}

TEST(FastExp, RoundTowardZeroKeepsTheAccuracy)
{
    RoundingMode towardZero(FE_TOWARDZERO);
    ASSERT_EQ(std::fegetround(), FE_TOWARDZERO);
    EXPECT_EQ(FastExp(0.0), 1.0);
    EXPECT_LT(WorstRelativeError(-700.0, 700.0, 0.0137), 2e-13);
    EXPECT_LT(WorstRelativeError(-1.0, 1.0, 0.0000371), 2e-13);
    // Here the top of the range stays finite.
    EXPECT_TRUE(std::isfinite(FastExp(std::nextafter(709.782712893384, 0.0))));
}
