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

    // x per lane; weight w and asymmetry s shared; amount k per lane.
    template <SaturationStage::Curve C>
    Lanes2 Process(Lanes2 x, double w, Lanes2 k, double s)
    {
        const Lanes2 ax = Abs(x);
        const Lanes2 previous = Lanes2::Load(previousAbs);
        Lanes2 e = Lanes2::Both(1.0);
        if (w > 1e-12)
        {
            const Lanes2 threshold = Lanes2::Both(SaturationStage::kThreshold);
            const Lanes2 old = Lanes2::Load(env);
            const Mask2 rising = (previous <= ax) & (ax >= threshold);
            Lanes2 next = Select(rising, (old - Lanes2::Both(1.0)) * Lanes2::Both(attack) + Lanes2::Both(1.0),
                                 Lanes2::Both(release) * old);
            next = Select(next < threshold, Lanes2::Both(0.0), next);
            next.Store(env);
            e = Lanes2::Both(w) * next + Lanes2::Both(0.1);
        }
        // Non-finite (NaN fails every comparison) or below 2^-54: exactly 0.
        const Mask2 usable = (ax <= Lanes2::Both(1.7976931348623157e308))
                             & (Lanes2::Both(SaturationStage::kTiny) <= ax);
        // A stage without weight leaves the remembered level alone but for
        // unusable input, as the scalar stage does.
        Select(usable, w > 1e-12 ? ax : previous, Lanes2::Both(0.0)).Store(previousAbs);

        Lanes2 y = Curve<C>(x);
        if (s < 1.0)
            y = Select(y < Lanes2::Both(0.0), Lanes2::Both(1.0 - s) * x + Lanes2::Both(s) * y, y);
        const Lanes2 ek = e * k;
        const Lanes2 out = (Lanes2::Both(1.0) - ek) * x + ek * y;
        return Select(usable, out, Lanes2::Both(0.0));
    }

    void Clear() { env[0] = env[1] = previousAbs[0] = previousAbs[1] = 0.0; }
};
