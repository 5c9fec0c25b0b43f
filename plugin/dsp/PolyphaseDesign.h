#pragma once

#include "BranchDot.h"

// Branch layout shared by the polyphase interpolator and decimator.
struct PolyphaseLayout
{
    static constexpr int kMaxFactor = 8;
    static constexpr int kMaxBranchTaps = 64;

    int factor = 2;      // L, 1..8
    int totalTaps = 0;   // N, a multiple of L
    int branchTaps = 0;  // T = N / L, at most 64
};

// Designs the windowed-sinc prototype and deals its taps out to the branches:
// tap i goes to branch i % L at position i / L; unused slots are zeroed.
// Limits: factor clamped to [1, 8]; totalTaps clamped to [8, 504], rounded up
// to a multiple of the factor and then cut to at most 64 taps per branch (the
// storage of one branch); cutoff clamped to [0, 0.5]. Allocates nothing.
// [any thread]
PolyphaseLayout DesignPolyphaseBranches(double (&coef)[PolyphaseLayout::kMaxFactor]
                                                      [PolyphaseLayout::kMaxBranchTaps],
                                        int totalTaps, double cutoff, int factor);

// Dot product of one branch, sum c[k] * x[k] for k < taps. Eight partial
// sums (four vector lanes of two on SSE2) break the add latency chain
// without the compiler having to reassociate on its own. [audio thread]
inline double BranchDot(const double* c, const double* x, int taps)
{
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0, s5 = 0.0, s6 = 0.0, s7 = 0.0;
    int k = 0;
    for (; k + 8 <= taps; k += 8)
    {
        s0 += c[k] * x[k];
        s1 += c[k + 1] * x[k + 1];
        s2 += c[k + 2] * x[k + 2];
        s3 += c[k + 3] * x[k + 3];
        s4 += c[k + 4] * x[k + 4];
        s5 += c[k + 5] * x[k + 5];
        s6 += c[k + 6] * x[k + 6];
        s7 += c[k + 7] * x[k + 7];
    }
    for (; k < taps; ++k)
        s0 += c[k] * x[k];
    return ((s0 + s1) + (s2 + s3)) + ((s4 + s5) + (s6 + s7));
}

// Branch output for a history window whose first (newest) value x0 was just
// written: that tap is taken from the register, so the vector loads only
// touch older values and never wait on the fresh store. [audio thread]
inline double BranchOutput(const double* c, double x0, const double* window, int taps)
{
    return c[0] * x0 + BranchDot(c + 1, window + 1, taps - 1);
}

// The same with a vector form of the dot product (BranchDot.h), which gives
// the same result bit for bit. [audio thread]
inline double BranchOutput(BranchDotFn dot, const double* c, double x0, const double* window, int taps)
{
    return c[0] * x0 + dot(c + 1, window + 1, taps - 1);
}
