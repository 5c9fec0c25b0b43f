#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>

#include "BiquadSection.h"
#include "Lanes2.h"
#include "OnePoleLowpass.h"

// The paired filters must give each lane exactly what the per-channel
// filters give that channel: the core's output stage relies on it to keep
// its output unchanged. Two different designs per pair (as the left
// channel's mismatch makes them), a signal with a step, a sine and
// values near the denormal range.
TEST(Lanes2, PairedFiltersMatchThePerChannelFiltersBitForBit)
{
    const double fs = 176400.0;
    OnePoleLowpass lp[2];
    lp[0].Design(120.0, fs);
    lp[1].Design(131.0, fs);
    BiquadSection peak[2], hp[2];
    peak[0].DesignPeak(3100.0, 0.8, 2.5, fs);
    peak[1].DesignPeak(3260.0, 0.8, -1.5, fs);
    hp[0].DesignHighpass(22.0, 0.7071, fs);
    hp[1].DesignHighpass(20.5, 0.7071, fs);

    OnePolePair lpPair;
    BiquadPair peakPair, hpPair;
    for (int c = 0; c < 2; ++c)
    {
        lpPair.b0[c] = lp[c].b0;
        lpPair.a1[c] = lp[c].a1;
        for (auto [from, to] : {std::pair{&peak[c], &peakPair}, std::pair{&hp[c], &hpPair}})
        {
            to->b0[c] = from->b0;
            to->b1[c] = from->b1;
            to->b2[c] = from->b2;
            to->a1[c] = from->a1;
            to->a2[c] = from->a2;
        }
    }

    int mismatches = 0;
    for (int n = 0; n < 4000; ++n)
    {
        const double xa = (n < 1000 ? 0.7 : 0.0) + 0.3 * std::sin(0.013 * n);
        const double xb = n > 3000 ? 1e-300 * n : -0.5 * std::sin(0.021 * n);
        const double want[2] = {
            hp[0].ProcessDF1(peak[0].ProcessDF1(xa - lp[0].Process(xa))),
            hp[1].ProcessDF1(peak[1].ProcessDF1(xb - lp[1].Process(xb)))};
        const Lanes2 x = Lanes2::Of(xa, xb);
        const Lanes2 y = hpPair.Process(peakPair.Process(x - lpPair.Process(x)));
        const double got[2] = {y.A(), y.B()};
        mismatches += std::memcmp(want, got, sizeof want) != 0;
    }
    EXPECT_EQ(mismatches, 0);
    hpPair.Clear();
    EXPECT_EQ(hpPair.Process(Lanes2::Of(0.0, 0.0)).A(), 0.0);
}
