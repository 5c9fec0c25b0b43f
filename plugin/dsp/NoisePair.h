#pragma once

#include <cstdint>
#include <cstring>

#include "Lanes2.h"
#include "NoiseGenerator.h"

// The hiss of channels A and B: two NoiseGenerators with their own seeds and
// the same colour and level, run side by side. Each lane draws the values a
// NoiseGenerator with that seed draws, in the same order, and combines them
// with the same arithmetic, so lane A (B) gives exactly what the generator
// seeded with seedA (seedB) gives. Both lanes replace the same pink row each
// step (their counters run in step); the rare redraw of a row that would leave
// the pink sum's bounds is done for the lane that needs it alone.
// Plain state, no allocation. [audio thread] except where noted.
class NoisePair
{
public:
    NoisePair(std::uint32_t seedA, std::uint32_t seedB) : state_{seedA, seedB} {}

    // As NoiseGenerator::Configure, for both lanes.
    // [reset / parameter change, under the instance lock]
    void Configure(double levelDb, double colour, double rateHz);

    // Next hiss value of both lanes. [audio thread]
    VELTO_LANES_INLINE Lanes2 Next()
    {
        const int row = counter_ == 0 ? 0 : HighestBit(counter_) % 16;
        const Lanes2 v = Uniform();
        const Lanes2 sum = Lanes2::Load(pinkSum_) - Lanes2::Load(rows_[row]) + v;
        const Mask2 inBounds = (sum >= Lanes2::Both(-kPinkBound)) & (Lanes2::Both(kPinkBound) >= sum);
        if (inBounds.All())
        {
            sum.Store(pinkSum_);
            v.Store(rows_[row]);
        }
        else
        {
            Redraw(row, sum, v);
        }
        ++counter_;
        const Lanes2 pink = (Lanes2::Load(pinkSum_) + Uniform()) * Lanes2::Both(0.125);
        const Lanes2 white = Uniform();
        const Lanes2 colour = Lanes2::Both(colour_);
        const Lanes2 rest = Lanes2::Both(1.0) - colour;
        if (!redMix_)
            return Lanes2::Both(level_ * gain_) * (rest * pink + colour * white);

        Lanes2 walk = Lanes2::Load(walk_) + Uniform();
        walk = Select(Lanes2::Both(kWalkBound) < walk, Lanes2::Both(2.0 * kWalkBound) - walk,
                      Select(walk < Lanes2::Both(-kWalkBound), Lanes2::Both(-2.0 * kWalkBound) - walk, walk));
        walk.Store(walk_);
        const Lanes2 red = walk * Lanes2::Both(0.0625) * Lanes2::Both(gain_);
        const Lanes2 redPink = rest * red + colour * pink;
        const Lanes2 mixed = rest * redPink + colour * white;
        const Lanes2 out = Lanes2::Both(level_) * mixed + Lanes2::Both(kFeedback) * Lanes2::Load(previous_);
        out.Store(previous_);
        return out;
    }

    std::uint32_t State(int lane) const { return state_[lane & 1]; }

private:
    static constexpr double kPinkBound = 4.0;
    static constexpr double kWalkBound = 8.0;
    static constexpr double kFeedback = 0.125;
    static constexpr int kMaxRedraws = 16;

    static double FloatFromBits(std::uint32_t bits)
    {
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

    // One generator step of a lane: the float with the pattern
    // (state >> 9) | 0x40000000 lies in [2, 4).
    std::uint32_t Step(int lane)
    {
        state_[lane] = state_[lane] * 196314165u + 907633515u;
        return (state_[lane] >> 9) | 0x40000000u;
    }

    // Uniform values in [-0.5, 0.5) of both lanes.
    Lanes2 Uniform()
    {
        const std::uint32_t a = Step(0), b = Step(1);
        return (Lanes2::Of(FloatFromBits(a), FloatFromBits(b)) - Lanes2::Both(3.0)) * Lanes2::Both(0.5);
    }

    // The lanes whose first draw left the bounds draw again on their own.
    void Redraw(int row, Lanes2 sum, Lanes2 v);

    std::uint32_t state_[2];
    double level_ = 0.0;
    double colour_ = 0.0;
    double gain_ = 4.0;
    bool redMix_ = true;
    std::uint32_t counter_ = 0;
    double rows_[16][2] = {};
    double pinkSum_[2] = {};
    double walk_[2] = {};
    double previous_[2] = {};
};
