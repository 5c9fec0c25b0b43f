#pragma once

#include <cmath>
#include <functional>

// Test helpers: sine measurement by quadrature correlation.
namespace testsig
{
constexpr double kPi = 3.141592653589793;

// Gain of a linear per-sample process at freqHz: runs `settle` samples, then
// correlates `measure` samples of the output with sine and cosine (measure
// should span whole periods, or be long).
inline double SineGain(const std::function<double(double)>& process, double freqHz, double rateHz,
                       int settle, int measure)
{
    const double w = 2.0 * kPi * freqHz / rateHz;
    double si = 0.0, co = 0.0;
    for (int n = 0; n < settle + measure; ++n)
    {
        const double y = process(std::sin(w * n));
        if (n >= settle)
        {
            si += y * std::sin(w * n);
            co += y * std::cos(w * n);
        }
    }
    return 2.0 * std::sqrt(si * si + co * co) / measure;
}

inline double ToDb(double gain)
{
    return 20.0 * std::log10(gain);
}
}  // namespace testsig
