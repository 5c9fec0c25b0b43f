#pragma once

#include "Lanes2.h"
#include "Lanes4.h"
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

    // The curve of every lane, for V = Lanes2 or Lanes4.
    template <SaturationStage::Curve C, class V>
    VELTO_LANES_INLINE static V Curve(V x)
    {
        const V a = Limit(x, SaturationCurves::kInputLimit);
        const V a2 = a * a;
        if (C == SaturationStage::Curve::kCurve6)
        {
            const V c = Abs(a);
            const V num = (V::Both(0.821006666969744) * c + V::Both(0.893229853513558)) * a2
                          + V::Both(2.45570450702956) * (c + V::Both(1.0));
            const V den = Abs(V::Both(0.814642734961073) * a * c + a) * (a2 + V::Both(2.44494634652299))
                          + V::Both(2.44494634652299);
            return num * a / den;
        }
        const V shaped = (V::Both(0.009854691) * a2 * a2 + V::Both(0.1648908669) * a2 + V::Both(1.0)) * a;
        const V v = shaped * shaped + V::Both(1.0);
        const V r0 = MagicMinusHalfBits(v, 0x5fe6ec85e7de30daull);
        const V r = (V::Both(1.5) - V::Both(0.5) * v * r0 * r0) * r0;
        return shaped * r;
    }

    // N samples in a row: out[j] for x[j] with amount amount * {mod[2 j],
    // mod[2 j + 1]} (per lane); weight w and asymmetry s shared by both lanes and all samples.
    // The envelope runs first over the block; the curves need no state and
    // run after it in values of type V (Lanes2: one sample, Lanes4: two).
    template <SaturationStage::Curve C, int N, class V = Lanes2>
    VELTO_LANES_INLINE void Run(const Lanes2* x, Lanes2* out, double w, Lanes2 amount, const double* mod, double s)
    {
        Lanes2 level[N];
        Envelope<N>(x, level, w > 1e-12);
        Shape<C, N, V>(x, level, out, w, amount, mod, s);
    }

    // The envelope over N samples: level[j] after x[j] where weighted.
    template <int N>
    VELTO_LANES_INLINE void Envelope(const Lanes2* x, Lanes2* level, bool weighted)
    {
        const Lanes2 zero = Lanes2::Both(0.0), one = Lanes2::Both(1.0);
        Lanes2 previous = Lanes2::Load(previousAbs);
        Lanes2 e = Lanes2::Load(env);
        VELTO_UNROLL
        for (int j = 0; j < N; ++j)
        {
            const Lanes2 ax = Abs(x[j]);
            // Non-finite (NaN fails every comparison) or below 2^-54: no level.
            const Mask2 usable = (ax <= Lanes2::Both(1.7976931348623157e308))
                                 & (Lanes2::Both(SaturationStage::kTiny) <= ax);
            if (weighted)
            {
                const Lanes2 threshold = Lanes2::Both(SaturationStage::kThreshold);
                const Mask2 rising = (previous <= ax) & (ax >= threshold);
                const Lanes2 next = Select(rising, (e - one) * Lanes2::Both(attack) + one,
                                           Lanes2::Both(release) * e);
                level[j] = e = Select(next < threshold, zero, next);
                previous = Select(usable, ax, zero);
            }
            else
            {
                // A stage without weight leaves the remembered level alone
                // but for unusable input, as the scalar stage does.
                previous = Select(usable, previous, zero);
                level[j] = zero;  // not used
            }
        }
        if (weighted)
            e.Store(env);
        previous.Store(previousAbs);
    }

#if defined(VELTO_LANES4)
    // The envelopes of two stage pairs (the low and the high band) at once,
    // one pair in each half of a four-double value: each lane does what
    // Envelope does. [audio thread]
    template <int N>
    VELTO_LANES_INLINE static void Envelopes(SaturationStagePair& low, SaturationStagePair& high,
                                             const Lanes2* lowX, const Lanes2* highX, Lanes2* lowLevel,
                                             Lanes2* highLevel, bool weighted)
    {
        using V = Lanes4::Values;
        const V zero = {}, one = zero + 1.0;
        const V attacks = {low.attack, low.attack, high.attack, high.attack};
        const V releases = {low.release, low.release, high.release, high.release};
        const V threshold = zero + SaturationStage::kThreshold;
        V previous = {low.previousAbs[0], low.previousAbs[1], high.previousAbs[0], high.previousAbs[1]};
        V e = {low.env[0], low.env[1], high.env[0], high.env[1]};
        VELTO_UNROLL
        for (int j = 0; j < N; ++j)
        {
            const V x = {lowX[j].v[0], lowX[j].v[1], highX[j].v[0], highX[j].v[1]};
            const V ax = Abs(Lanes4{x}).v;
            // On bit patterns where they give the same (previous is 0 or a
            // finite magnitude, next a non-negative finite level); the
            // threshold test keeps a NaN |x| from rising.
            const auto usable = Usable(Lanes4{ax}).v;
            if (weighted)
            {
                const auto falling = Patterns::Of(Lanes4{previous}).v > Patterns::Of(Lanes4{ax}).v;
                const auto rising = ~falling & (threshold <= ax);
                const V next = rising ? (e - one) * attacks + one : releases * e;
                e = Patterns::Of(Lanes4{next}).v < Patterns::Of(Lanes4{threshold}).v ? zero : next;
                lowLevel[j].v = __m128d{e[0], e[1]};
                highLevel[j].v = __m128d{e[2], e[3]};
                previous = usable ? ax : zero;
            }
            else
            {
                previous = usable ? previous : zero;
                lowLevel[j] = highLevel[j] = Lanes2::Both(0.0);
            }
        }
        if (weighted)
        {
            low.env[0] = e[0], low.env[1] = e[1], high.env[0] = e[2], high.env[1] = e[3];
        }
        low.previousAbs[0] = previous[0], low.previousAbs[1] = previous[1];
        high.previousAbs[0] = previous[2], high.previousAbs[1] = previous[3];
    }
#endif

    // |x| is finite and not below the stage's least level. In the AVX2
    // block (V = Lanes4) on bit patterns, which give the same.
    template <class V>
    VELTO_LANES_INLINE static auto Usable(V ax)
    {
#if defined(VELTO_LANES4)
        if constexpr (V::kSamples == 2)
            return Patterns::FiniteAtLeast<Patterns::Of(SaturationStage::kTiny)>(ax);
        else
#endif
            return (ax <= V::Both(1.7976931348623157e308)) & (V::Both(SaturationStage::kTiny) <= ax);
    }

    // y < 0 for a curve's value. The AVX2 block reads the sign bit instead,
    // which differs only for a y of -0 (the curves give no NaN): that comes
    // from an |x| below the least level, whose output is 0 either way.
    template <class V>
    VELTO_LANES_INLINE static auto Negative(V y)
    {
#if defined(VELTO_LANES4)
        if constexpr (V::kSamples == 2)
            return Patterns::Negative(y);
        else
#endif
            return y < V::Both(0.0);
    }

    // The curves and the blend over N samples, given the envelope's levels.
    template <SaturationStage::Curve C, int N, class V = Lanes2>
    VELTO_LANES_INLINE void Shape(const Lanes2* x, const Lanes2* level, Lanes2* out, double w, Lanes2 amount,
                                  const double* mod, double s)
    {
        const bool weighted = w > 1e-12;
        const V zero = V::Both(0.0), one = V::Both(1.0);
        const V k = V::Repeat(amount);
        VELTO_UNROLL
        for (int j = 0; j < N; j += V::kSamples)
        {
            const V in = V::Join(x + j);
            const V e = weighted ? V::Both(w) * V::Join(level + j) + V::Both(0.1) : one;
            const V ax = Abs(in);
            V y = Curve<C>(in);
            const auto usable = Usable<V>(ax);
            if (s < 1.0)
                y = Select(Negative<V>(y), V::Both(1.0 - s) * in + V::Both(s) * y, y);
            const V ek = e * (k * V::Load(mod + 2 * j));
            Select(usable, (one - ek) * in + ek * y, zero).Split(out + j);
        }
    }

    // One sample: x per lane, amount k per lane.
    template <SaturationStage::Curve C>
    Lanes2 Process(Lanes2 x, double w, Lanes2 k, double s)
    {
        const double unit[2] = {1.0, 1.0};
        Run<C, 1>(&x, &x, w, k, unit, s);
        return x;
    }

    void Clear() { env[0] = env[1] = previousAbs[0] = previousAbs[1] = 0.0; }
};
