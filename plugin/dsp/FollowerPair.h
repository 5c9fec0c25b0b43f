#pragma once

#include "EnvelopeFollower.h"
#include "Lanes2.h"
#include "RmsFollower.h"

// The two channels of one meter's followers side by side over a block of
// samples: Load takes the state and coefficients of f[0] (lane A) and f[1]
// (lane B), Update does each follower's own Update on its lane, bit for bit,
// and Store hands the state back. [audio thread]
struct FollowerPair
{
    Lanes2 state, attack, release, last;

    void Load(const EnvelopeFollower* f)
    {
        state = Lanes2::Of(f[0].state, f[1].state);
        attack = Lanes2::Of(f[0].attackCoef, f[1].attackCoef);
        release = Lanes2::Of(f[0].releaseCoef, f[1].releaseCoef);
        last = Lanes2::Of(f[0].lastInput, f[1].lastInput);
    }

    VELTO_LANES_INLINE void Update(Lanes2 v)
    {
        const Lanes2 next = (state - v) * Select(state < v, attack, release) + v;
        state = Select(next < Lanes2::Both(1e-6), Lanes2::Both(0.0), next);
        last = v;
    }

    void Store(EnvelopeFollower* f) const
    {
        f[0].state = state.A(), f[1].state = state.B();
        f[0].lastInput = last.A(), f[1].lastInput = last.B();
    }
};

struct RmsPair
{
    Lanes2 ms, coef;

    void Load(const RmsFollower* r)
    {
        ms = Lanes2::Of(r[0].ms, r[1].ms);
        coef = Lanes2::Of(r[0].coef, r[1].coef);
    }

    VELTO_LANES_INLINE void Update(Lanes2 v)
    {
        const Lanes2 sq = v * v;
        ms = (ms - sq) * coef + sq;
    }

    void Store(RmsFollower* r) const { r[0].ms = ms.A(), r[1].ms = ms.B(); }
};
