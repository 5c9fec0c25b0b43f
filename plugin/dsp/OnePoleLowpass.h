#pragma once

#include "FastExp.h"

// First-order low-pass section, the analogue RC prototype mapped by impulse
// invariance: y = b0*x + a1*y with a1 = exp(-2*pi*f/fs), b0 = 1 - a1, so the
// DC gain is exactly 1 and the slope is -6 dB/octave above f. The matching
// high-pass output used by the band split is x - Process(x).
// The state survives redesigns: changing the frequency never clears y.
struct OnePoleLowpass
{
    double b0 = 1.0;
    double a1 = 0.0;
    double y = 0.0;

    // freqHz >= 0, rateHz > 0. [any thread, not concurrently with Process]
    void Design(double freqHz, double rateHz)
    {
        a1 = FastExp(-6.283185307179586 * freqHz / rateHz);
        b0 = 1.0 - a1;
    }

    // [audio thread]
    double Process(double x)
    {
        y = b0 * x + a1 * y;
        return y;
    }

    void Clear() { y = 0.0; }
};
