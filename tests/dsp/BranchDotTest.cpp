#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "BranchDot.h"
#include "PolyphaseDesign.h"

namespace
{
bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
}  // namespace

// Every vector form keeps the scalar form's partial sums and their order, so
// it must return the scalar result bit for bit: every length a branch can
// have (0..64, so every leftover count), every misalignment of the window,
// and values spread over many octaves so a reordered sum would show.
TEST(BranchDot, EveryFormMatchesTheScalarFormBitForBit)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> octave(-30, 30);
    std::vector<double> c(80), x(80);
    for (int i = 0; i < 80; ++i)
    {
        c[i] = std::ldexp(mantissa(rng), octave(rng));
        x[i] = std::ldexp(mantissa(rng), octave(rng));
    }

    for (BranchDotKind kind : {BranchDotKind::kScalar, BranchDotKind::kSse2, BranchDotKind::kAvx2})
    {
        const BranchDotFn dot = BranchDotFor(kind);
        ASSERT_NE(dot, nullptr);
        for (int offset = 0; offset < 4; ++offset)
            for (int taps = 0; taps <= 64; ++taps)
            {
                const double want = BranchDot(c.data() + offset, x.data() + 3 - offset, taps);
                const double got = dot(c.data() + offset, x.data() + 3 - offset, taps);
                EXPECT_TRUE(SameBits(want, got))
                    << "kind " << static_cast<int>(kind) << " taps " << taps << " offset " << offset
                    << ": " << want << " vs " << got;
            }
    }
    EXPECT_EQ(BestBranchDot(), BranchDotFor(BestBranchDotKind()));
}

// The interpolator's all-branches form against branch-by-branch
// BranchOutput on rows gathered from the same taps: every factor, every
// branch length, bit for bit.
TEST(BranchDot, AllBranchesInLanesMatchEachBranchAlone)
{
    constexpr int kStride = PolyphaseLayout::kMaxFactor;
    constexpr int kMaxTaps = PolyphaseLayout::kMaxBranchTaps;
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> octave(-20, 20);
    alignas(32) static double byTap[kMaxTaps * kStride];
    double window[kMaxTaps];
    for (double& v : byTap)
        v = std::ldexp(mantissa(rng), octave(rng));
    for (double& v : window)
        v = std::ldexp(mantissa(rng), octave(rng));
    const double x0 = window[0];

    for (BranchDotKind kind : {BranchDotKind::kScalar, BranchDotKind::kSse2, BranchDotKind::kAvx2})
    {
        const AllBranchesFn all = AllBranchesFor(kind);
        for (int factor = 1; factor <= kStride; ++factor)
            for (int taps = 1; taps <= kMaxTaps; ++taps)
            {
                double out[kStride] = {};
                all(byTap, x0, window, taps, factor, out);
                for (int p = 0; p < factor; ++p)
                {
                    double row[kMaxTaps];
                    for (int t = 0; t < taps; ++t)
                        row[t] = byTap[t * kStride + p];
                    const double want = BranchOutput(row, x0, window, taps);
                    EXPECT_TRUE(SameBits(want, out[p]))
                        << "kind " << static_cast<int>(kind) << " factor " << factor << " taps " << taps
                        << " branch " << p;
                }

                // Both channels in one pass: each channel's values as
                // above, and times the gain in {A, B} pairs.
                double rawA[kStride] = {}, rawB[kStride] = {}, pairs[2 * kStride + 2];
                for (double& v : pairs)
                    v = -7.0;
                const double* windowB = window + kMaxTaps / 2 - 1;
                double outB[kStride] = {};
                all(byTap, windowB[0], windowB, std::min(taps, kMaxTaps / 2 + 1), factor, outB);
                // Also the forms unrolled for one design, given any design.
                const AllBranchesPairFn both =
                    AllBranchesPairFor(kind, taps % 2 == 0 ? taps : 20, factor == 3 ? 4 : factor);
                both(byTap, x0, window, windowB[0], windowB, std::min(taps, kMaxTaps / 2 + 1), factor, 3.0, rawA,
                     rawB, pairs);
                double outA[kStride] = {};
                all(byTap, x0, window, std::min(taps, kMaxTaps / 2 + 1), factor, outA);
                for (int p = 0; p < factor; ++p)
                {
                    EXPECT_TRUE(SameBits(outA[p], rawA[p]) && SameBits(outB[p], rawB[p]))
                        << "pair kind " << static_cast<int>(kind) << " factor " << factor << " taps " << taps;
                    EXPECT_TRUE(SameBits(outA[p] * 3.0, pairs[2 * p]) && SameBits(outB[p] * 3.0, pairs[2 * p + 1]))
                        << "pair kind " << static_cast<int>(kind) << " factor " << factor << " taps " << taps;
                }
                EXPECT_EQ(pairs[2 * factor], -7.0) << "wrote past factor " << factor;
            }
    }
}
