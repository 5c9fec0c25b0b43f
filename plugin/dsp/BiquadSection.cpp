#include "BiquadSection.h"

#include <cmath>

#include "FastExp.h"

namespace
{
constexpr double kTwoPi = 6.283185307179586;
constexpr double kLn10Over40 = 0.057564627324851145;
}  // namespace

void BiquadSection::DesignHighpass(double freqHz, double q, double rateHz)
{
    const double w = kTwoPi * freqHz / rateHz;
    const double c = std::cos(w);
    const double s = std::sin(w);
    const double alpha = s / (2.0 * q);
    const double a0 = 1.0 + alpha;
    b0 = (1.0 + c) / 2.0 / a0;
    b1 = -(1.0 + c) / a0;
    b2 = (1.0 + c) / 2.0 / a0;
    a1 = -2.0 * c / a0;
    a2 = (1.0 - alpha) / a0;
}

void BiquadSection::DesignPeak(double freqHz, double q, double gainDb, double rateHz)
{
    const double w = kTwoPi * freqHz / rateHz;
    const double c = std::cos(w);
    const double s = std::sin(w);
    const double alpha = s / (2.0 * q);
    const double gainA = FastExp(gainDb * kLn10Over40);
    const double a0 = 1.0 + alpha / gainA;
    b0 = (1.0 + alpha * gainA) / a0;
    b1 = -2.0 * c / a0;
    b2 = (1.0 - alpha * gainA) / a0;
    a1 = -2.0 * c / a0;
    a2 = (1.0 - alpha / gainA) / a0;
}
