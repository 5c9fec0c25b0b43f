#include "PolyphaseDesign.h"

#include <algorithm>
#include <iterator>

#include "WindowedSinc.h"

PolyphaseLayout DesignPolyphaseBranches(double (&coef)[PolyphaseLayout::kMaxFactor]
                                                      [PolyphaseLayout::kMaxBranchTaps],
                                        int totalTaps, double cutoff, int factor)
{
    PolyphaseLayout layout;
    layout.factor = std::clamp(factor, 1, PolyphaseLayout::kMaxFactor);
    const int l = layout.factor;

    int n = std::clamp(totalTaps, 8, 504);
    n = (n + l - 1) / l * l;
    // 504 taps fit the 64-per-branch storage only at factor 8; smaller
    // factors would overrun it, so the length is cut to what a branch holds.
    n = std::min(n, l * PolyphaseLayout::kMaxBranchTaps);
    layout.totalTaps = n;
    layout.branchTaps = n / l;

    double prototype[PolyphaseLayout::kMaxFactor * PolyphaseLayout::kMaxBranchTaps];
    DesignWindowedSinc(prototype, n, std::clamp(cutoff, 0.0, 0.5));

    for (auto& branch : coef)
        std::fill(std::begin(branch), std::end(branch), 0.0);
    for (int i = 0; i < n; ++i)
        coef[i % l][i / l] = prototype[i];
    return layout;
}
