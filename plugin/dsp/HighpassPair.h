#pragma once

#include "BiquadSection.h"
#include "Lanes2.h"
#include "OnePoleLowpass.h"

// The output high-pass cascade of two channels side by side over a block,
// channel A in lane A: roll-off 3 subtracts a one-pole low-pass before the
// first stage, roll-off 4 adds the second stage after it, any other runs the
// first stage alone. Load takes the sections' coefficients and memories,
// Process does each channel's own arithmetic (the first stage in direct form
// II, the second in direct form I), bit for bit, and Store hands the
// memories back. [audio thread]
struct HighpassPair
{
    Lanes2 b0, b1, b2, a1, a2, w1, w2;          // first stage
    Lanes2 c0, c1, c2, d1, d2, x1, x2, y1, y2;  // second stage
    Lanes2 preB0, preA1, preY;                  // low-pass of roll-off 3
    int rollOff = 2;

    // first[0..1], second[0..1] and pre[0..1]: channel A, channel B.
    void Load(const BiquadSection* first, const BiquadSection* second, const OnePoleLowpass* pre, int rollOff_)
    {
        const auto pair = [](const auto* s, auto member) { return Lanes2::Of(s[0].*member, s[1].*member); };
        b0 = pair(first, &BiquadSection::b0), b1 = pair(first, &BiquadSection::b1);
        b2 = pair(first, &BiquadSection::b2), a1 = pair(first, &BiquadSection::a1);
        a2 = pair(first, &BiquadSection::a2);
        w1 = pair(first, &BiquadSection::w1), w2 = pair(first, &BiquadSection::w2);
        c0 = pair(second, &BiquadSection::b0), c1 = pair(second, &BiquadSection::b1);
        c2 = pair(second, &BiquadSection::b2), d1 = pair(second, &BiquadSection::a1);
        d2 = pair(second, &BiquadSection::a2);
        x1 = pair(second, &BiquadSection::x1), x2 = pair(second, &BiquadSection::x2);
        y1 = pair(second, &BiquadSection::y1), y2 = pair(second, &BiquadSection::y2);
        preB0 = pair(pre, &OnePoleLowpass::b0), preA1 = pair(pre, &OnePoleLowpass::a1);
        preY = pair(pre, &OnePoleLowpass::y);
        rollOff = rollOff_;
    }

    VELTO_LANES_INLINE Lanes2 Process(Lanes2 x)
    {
        if (rollOff == 3)
        {
            preY = preB0 * x + preA1 * preY;
            x = x - preY;
        }
        const Lanes2 w = x - a1 * w1 - a2 * w2;
        const Lanes2 y = b0 * w + b1 * w1 + b2 * w2;
        w2 = w1;
        w1 = w;
        if (rollOff != 4)
            return y;
        const Lanes2 z = c0 * y + c1 * x1 + c2 * x2 - d1 * y1 - d2 * y2;
        x2 = x1;
        x1 = y;
        y2 = y1;
        y1 = z;
        return z;
    }

    void Store(BiquadSection* first, BiquadSection* second, OnePoleLowpass* pre) const
    {
        first[0].w1 = w1.A(), first[1].w1 = w1.B();
        first[0].w2 = w2.A(), first[1].w2 = w2.B();
        second[0].x1 = x1.A(), second[1].x1 = x1.B();
        second[0].x2 = x2.A(), second[1].x2 = x2.B();
        second[0].y1 = y1.A(), second[1].y1 = y1.B();
        second[0].y2 = y2.A(), second[1].y2 = y2.B();
        pre[0].y = preY.A(), pre[1].y = preY.B();
    }
};
