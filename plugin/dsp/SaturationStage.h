#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

// Waveshaper curves of the saturation core (curve set 0), with the
// parameter p = 1. Both are odd, pass 0 and approach +-1 for large inputs.
// Inputs are limited to +-1e30 first: the curves are at their asymptote long
// before that, and larger finite values would overflow a^4 or a^2 into NaN.
namespace SaturationCurves
{
constexpr double kInputLimit = 1e30;

inline double Limit(double a)
{
    return a > kInputLimit ? kInputLimit : (a < -kInputLimit ? -kInputLimit : a);
}

// Curve 6 (low band): rational soft clipper, slope ~1.0044 at 0, limit
// +-1.0078.
inline double Curve6(double x)
{
    const double a = Limit(x);
    const double c = std::fabs(a);
    const double a2 = a * a;
    return ((0.821006666969744 * c + 0.893229853513558) * a2 + 2.45570450702956 * (c + 1.0)) * a
           / (std::fabs(0.814642734961073 * a * c + a) * (a2 + 2.44494634652299) + 2.44494634652299);
}

// Curve 5 (high band): a' = (0.009854691 a^4 + 0.1648908669 a^2 + 1) a, then
// a' / sqrt(a'^2 + 1) with the bit-level inverse square root and one Newton
// step (relative error below 0.2 %).
inline double Curve5(double x)
{
    const double a = Limit(x);
    const double a2 = a * a;
    const double shaped = (0.009854691 * a2 * a2 + 0.1648908669 * a2 + 1.0) * a;
    const double v = shaped * shaped + 1.0;
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    bits = 0x5fe6ec85e7de30daull - (bits >> 1);
    double r0;
    std::memcpy(&r0, &bits, sizeof r0);
    const double r = (1.5 - 0.5 * v * r0 * r0) * r0;
    return shaped * r;
}
}  // namespace SaturationCurves

// One band of the saturation core: an envelope-weighted blend between the
// dry input and a curve, with asymmetry on the negative half.
//   e = w * env + 0.1 when w > 1e-12 (env follows |x| with the attack and
//       release coefficients, floored to 0 below 10^-4.5), else e = 1
//   y = curve(x); negative y is pulled toward x: (1 - s) x + s y (s < 1)
//   out = (1 - e k) x + e k y
// A non-finite input or one below 2^-54 in magnitude gives exactly 0.
// Plain state; [audio thread] except where noted.
struct SaturationStage
{
    enum class Curve { kCurve5, kCurve6 };

    Curve curve = Curve::kCurve6;
    double attack = 0.0;
    double release = 0.0;
    double env = 0.0;
    double previousAbs = 0.0;

    // exp(-10.361632918473001), that is about 10^-4.5.
    static constexpr double kThreshold = 3.1622776601690267e-05;
    static constexpr double kTiny = 5.551115123125783e-17;  // 2^-54

    double Process(double x, double w, double k, double s)
    {
        double e = 1.0;
        if (w > 1e-12)
        {
            const double ax = std::fabs(x);
            if (previousAbs <= ax && ax >= kThreshold)
                env = (env - 1.0) * attack + 1.0;
            else
                env = release * env;
            if (env < kThreshold)
                env = 0.0;
            previousAbs = ax;
            e = w * env + 0.1;
        }
        if (!std::isfinite(x) || std::fabs(x) < kTiny)
        {
            previousAbs = 0.0;
            return 0.0;
        }
        double y = curve == Curve::kCurve6 ? SaturationCurves::Curve6(x) : SaturationCurves::Curve5(x);
        if (y < 0.0 && s < 1.0)
            y = (1.0 - s) * x + s * y;
        const double ek = e * k;
        return (1.0 - ek) * x + ek * y;
    }

    void Clear() { env = previousAbs = 0.0; }
};
