#pragma once

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
