#pragma once

#include <cmath>

#include "EnvelopeFollower.h"

// Running mean square for the range meters: ms = (ms - v^2) * coef + v^2,
// one coefficient for rising and falling levels. Plain record.
struct RmsFollower
{
    double ms = 0.0;
    double display = 0.0;
    double coef = 0.0;
    double averagingMs = -1.0;
    int rateTruncated = 0;

    // Same recompute rule as EnvelopeFollower. [reset, under the instance lock]
    void Configure(double averagingMs_, double rateHz)
    {
        const int rate = static_cast<int>(rateHz);
        if (rate != rateTruncated || EnvelopeFollower::Moved(averagingMs_, averagingMs))
        {
            coef = FollowerCoefficient(averagingMs_, rateHz);
            averagingMs = averagingMs_;
        }
        rateTruncated = rate;
    }

    // v: the rectified level (squared here). [audio thread]
    void Update(double v)
    {
        const double sq = v * v;
        ms = (ms - sq) * coef + sq;
    }

    // Root mean square; the offset keeps sqrt away from exact zero.
    double Rms() const { return std::sqrt(ms + 2.22045e-15); }

    void Clear() { ms = display = 0.0; }
};
