#include "WindowedSinc.h"

#include <cmath>

void DesignWindowedSinc(double* h, int taps, double cutoff)
{
    const double pi = 3.141592653589793;
    const double w = 2.0 * pi * cutoff;
    const double centre = (taps - 1) / 2.0;

    double sum = 0.0;
    for (int i = 0; i < taps; ++i)
    {
        const double t = i - centre;
        h[i] = (t == 0.0) ? w : std::sin(w * t) / t;
        sum += h[i];
    }

    const double tiny = 5.551115123125783e-17;  // 2^-54
    const double span = taps > 1 ? taps - 1.0 : 1.0;
    for (int i = 0; i < taps; ++i)
    {
        double v = h[i] / sum;
        if (!std::isfinite(v) || std::fabs(v) < tiny)
            v = 0.0;
        const double window = 0.42 - 0.5 * std::cos(2.0 * pi * i / span)
                              + 0.08 * std::cos(4.0 * pi * i / span);
        h[i] = v * window;
    }
}
