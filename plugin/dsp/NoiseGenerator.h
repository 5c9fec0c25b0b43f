#pragma once

#include <cstdint>

// Hiss source of the saturation core: a 32-bit linear congruential generator
// feeding a white value, a pink value (16-row Voss-style sum) and a red value
// (bounded random walk), blended by the colour.
//
// colour < 1: red walk (bound +-8, scaled by 0.0625 and the gain 4) blended
//             with pink by the colour, then with white by the colour, plus a
//             small one-sample feedback term, times the level.
// colour >= 1: pink/white blend with (colour - 1) clamped to [0, 1] and the
//             gain rate / 44100 * 4 * 0.707.
// The level is 8 * 10^(dB/20), which puts the pink component's RMS near dB.
// Plain state, no allocation; Next() has a bounded loop. [audio thread]

// Level, colour and gain of one hiss setting, shared by the single generator
// and the pair (NoisePair) so both blend with the very same numbers.
struct NoiseShape
{
    double level = 0.0;
    double colour = 0.0;
    double gain = 4.0;
    bool redMix = true;
};
NoiseShape NoiseShapeFor(double levelDb, double colour, double rateHz);

// Index of the highest set bit, v != 0: the pink row a step replaces.
inline int HighestBit(std::uint32_t v)
{
#if defined(__GNUC__)
    return 31 - __builtin_clz(v);
#else
    int bit = 0;
    while (v >>= 1)
        ++bit;
    return bit;
#endif
}

class NoiseGenerator
{
public:
    explicit NoiseGenerator(std::uint32_t seed = 1u) : state_(seed) {}

    // levelDb < 0 in practice; rateHz is the oversampled rate.
    // [reset / parameter change, under the instance lock]
    void Configure(double levelDb, double colour, double rateHz);

    double Next();

    // Uniform value in [-0.5, 0.5): the float with the pattern
    // (state >> 9) | 0x40000000 lies in [2, 4). [audio thread]
    double Uniform()
    {
        state_ = state_ * 196314165u + 907633515u;
        const std::uint32_t bits = (state_ >> 9) | 0x40000000u;
        return (FloatFromBits(bits) - 3.0) * 0.5;
    }

    std::uint32_t State() const { return state_; }

private:
    static double FloatFromBits(std::uint32_t bits);
    double Pink();

    std::uint32_t state_;
    NoiseShape shape_;
    double rows_[16] = {};
    double pinkSum_ = 0.0;
    std::uint32_t counter_ = 0;
    double walk_ = 0.0;
    double previous_ = 0.0;
};
