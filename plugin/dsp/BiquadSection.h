#pragma once

// Second-order IIR section with normalised coefficients (a0 divided out):
//   H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2)
// It can run in direct form I (ProcessDF1, memories x1 x2 y1 y2) or direct
// form II (ProcessDF2, memories w1 w2); both realise the same transfer
// function, each with its own memories. Designs keep the memories, so a
// frequency change does not click; ClearMemory zeroes both sets.
struct BiquadSection
{
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;  // direct form I
    double w1 = 0.0, w2 = 0.0;                      // direct form II
    int order = 2;       // always a single second-order stage
    bool enabled = true;

    // 12 dB/octave high-pass at freqHz with quality q (0.7071 = Butterworth,
    // -3 dB at freqHz); bilinear transform with the usual cookbook warping.
    // q > 0, 0 < freqHz < rateHz / 2. [any thread, not concurrently with Process]
    void DesignHighpass(double freqHz, double q, double rateHz);

    // Peaking bell at freqHz: gainDb at the centre, 0 dB far from it.
    // A = 10^(gainDb/40) by the fast exponential. [same as DesignHighpass]
    void DesignPeak(double freqHz, double q, double gainDb, double rateHz);

    // [audio thread]
    double ProcessDF1(double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

    // [audio thread]
    double ProcessDF2(double x)
    {
        const double w = x - a1 * w1 - a2 * w2;
        const double y = b0 * w + b1 * w1 + b2 * w2;
        w2 = w1;
        w1 = w;
        return y;
    }

    void ClearMemory() { x1 = x2 = y1 = y2 = w1 = w2 = 0.0; }
};
