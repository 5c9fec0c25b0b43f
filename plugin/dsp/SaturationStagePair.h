#pragma once

#include "Lanes2.h"
#include "SaturationStage.h"

// Two SaturationStages with the same curve, one per lane (the low-band or the
// high-band stages of channels A and B). The branches of the scalar stage
// become per-lane selections between values both computed with the scalar
// arithmetic, so each lane returns, bit for bit, what a SaturationStage with
// the same state returns. Plain state. [audio thread] except where noted.
struct SaturationStagePair
{
    double attack = 0.0;   // shared by both lanes
    double release = 0.0;
    // Per lane; plain doubles so that no alignment is asked of the owner.
    double env[2] = {};
    double previousAbs[2] = {};

    // The curve of both lanes.
    template <SaturationStage::Curve C>
    static Lanes2 Curve(Lanes2 x)
    {
        const Lanes2 a = Limit(x, SaturationCurves::kInputLimit);
        const Lanes2 a2 = a * a;
        if (C == SaturationStage::Curve::kCurve6)
        {
            const Lanes2 c = Abs(a);
            const Lanes2 num = (Lanes2::Both(0.821006666969744) * c + Lanes2::Both(0.893229853513558)) * a2
                               + Lanes2::Both(2.45570450702956) * (c + Lanes2::Both(1.0));
            const Lanes2 den = Abs(Lanes2::Both(0.814642734961073) * a * c + a) * (a2 + Lanes2::Both(2.44494634652299))
                               + Lanes2::Both(2.44494634652299);
            return num * a / den;
        }
        const Lanes2 shaped
            = (Lanes2::Both(0.009854691) * a2 * a2 + Lanes2::Both(0.1648908669) * a2 + Lanes2::Both(1.0)) * a;
        const Lanes2 v = shaped * shaped + Lanes2::Both(1.0);
        const Lanes2 r0 = MagicMinusHalfBits(v, 0x5fe6ec85e7de30daull);
        const Lanes2 r = (Lanes2::Both(1.5) - Lanes2::Both(0.5) * v * r0 * r0) * r0;
        return shaped * r;
    }

    // N samples in a row: out[j] for x[j] with amount k[j]; weight w and
    // asymmetry s shared by both lanes and all samples. The envelope runs
    // first over the block, the curves after it (they need no state).
    template <SaturationStage::Curve C, int N>
    VELTO_LANES_INLINE void Run(const Lanes2* x, Lanes2* out, double w, const Lanes2* k, double s)
    {
        const Lanes2 zero = Lanes2::Both(0.0), one = Lanes2::Both(1.0);
        const bool weighted = w > 1e-12;
        Lanes2 e[N];
        Mask2 usable[N];
        Lanes2 previous = Lanes2::Load(previousAbs);
        Lanes2 level = Lanes2::Load(env);
        VELTO_UNROLL
        for (int j = 0; j < N; ++j)
        {
            const Lanes2 ax = Abs(x[j]);
            // Non-finite (NaN fails every comparison) or below 2^-54: exactly 0.
            usable[j] = (ax <= Lanes2::Both(1.7976931348623157e308)) & (Lanes2::Both(SaturationStage::kTiny) <= ax);
            if (weighted)
            {
                const Lanes2 threshold = Lanes2::Both(SaturationStage::kThreshold);
                const Mask2 rising = (previous <= ax) & (ax >= threshold);
                const Lanes2 next = Select(rising, (level - one) * Lanes2::Both(attack) + one,
                                           Lanes2::Both(release) * level);
                level = Select(next < threshold, zero, next);
                e[j] = Lanes2::Both(w) * level + Lanes2::Both(0.1);
                previous = Select(usable[j], ax, zero);
            }
            else
            {
                // A stage without weight leaves the remembered level alone but
                // for unusable input, as the scalar stage does.
                e[j] = one;
                previous = Select(usable[j], previous, zero);
            }
        }
        if (weighted)
            level.Store(env);
        previous.Store(previousAbs);

        VELTO_UNROLL

        for (int j = 0; j < N; ++j)
        {
            Lanes2 y = Curve<C>(x[j]);
            if (s < 1.0)
                y = Select(y < zero, Lanes2::Both(1.0 - s) * x[j] + Lanes2::Both(s) * y, y);
            const Lanes2 ek = e[j] * k[j];
            out[j] = Select(usable[j], (one - ek) * x[j] + ek * y, zero);
        }
    }

    // One sample: x per lane, amount k per lane.
    template <SaturationStage::Curve C>
    Lanes2 Process(Lanes2 x, double w, Lanes2 k, double s)
    {
        Run<C, 1>(&x, &x, w, &k, s);
        return x;
    }

    void Clear() { env[0] = env[1] = previousAbs[0] = previousAbs[1] = 0.0; }
};
