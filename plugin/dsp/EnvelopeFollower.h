#pragma once

#include "FastExp.h"

// Ballistics shared by the meter followers: a time T ms at rate fs becomes
// the one-pole coefficient exp(-0.4353339357479107 / (T * fs * 0.001)).
// After T ms a step has covered 1 - exp(-0.43533) = 35.3 % of its way and
// 1 - 1/e after T / 0.43533 ms (so T is not the time constant itself).
inline double FollowerCoefficient(double timeMs, double rateHz)
{
    return FastExp(-0.4353339357479107 / (timeMs * rateHz * 0.001));
}

// Peak follower for the level meters: attack when the input rises above the
// state, release otherwise; state = (state - v) * coef + v, flushed to 0
// below 1e-6 (-120 dB). Plain record, no allocation.
struct EnvelopeFollower
{
    double state = 0.0;
    double display = 0.0;    // last value handed to the editor, [0, 1]
    double lastInput = 0.0;
    double attackCoef = 0.0;
    double releaseCoef = 0.0;
    double attackMs = -1.0;  // times the coefficients were made for
    double releaseMs = -1.0;
    int rateTruncated = 0;   // sample rate, truncated, they were made for

    // Recomputes a coefficient only when its time moved by more than
    // 2.22045e-12 ms or the truncated rate changed. An attack shorter than
    // one sample (attackMs < 1000 / rateHz) gives the near-instant
    // coefficient 2.22045e-12. [reset, under the instance lock]
    void Configure(double attackMs_, double releaseMs_, double rateHz)
    {
        const int rate = static_cast<int>(rateHz);
        const bool rateChanged = rate != rateTruncated;
        if (rateChanged || Moved(attackMs_, attackMs))
        {
            attackCoef = (attackMs_ < 1000.0 / rateHz) ? 2.22045e-12
                                                       : FollowerCoefficient(attackMs_, rateHz);
            attackMs = attackMs_;
        }
        if (rateChanged || Moved(releaseMs_, releaseMs))
        {
            releaseCoef = FollowerCoefficient(releaseMs_, rateHz);
            releaseMs = releaseMs_;
        }
        rateTruncated = rate;
    }

    // v >= 0 (a rectified level). [audio thread]
    void Update(double v)
    {
        const double coef = (v > state) ? attackCoef : releaseCoef;
        state = (state - v) * coef + v;
        if (state < 1e-6)
            state = 0.0;
        lastInput = v;
    }

    // Zeroes state, display value and last input; keeps the coefficients.
    void Clear() { state = display = lastInput = 0.0; }

    static bool Moved(double a, double b) { return a - b > 2.22045e-12 || b - a > 2.22045e-12; }
};
