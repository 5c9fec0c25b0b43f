#include "NoiseGenerator.h"

#include <algorithm>
#include <cstring>

#include "FastExp.h"

namespace
{
constexpr double kLn10Over20 = 0.1151292546497;
constexpr double kPinkBound = 4.0;
constexpr double kWalkBound = 8.0;
// Share of the previous output fed back in the red mix: a gentle extra tilt.
constexpr double kFeedback = 0.125;
// A row replacement that would push the pink sum out of bounds is drawn
// again; the retries are capped so the per-sample work stays bounded (the
// old row is kept if every draw fails, which the bounds make very unlikely).
constexpr int kMaxRedraws = 16;

}  // namespace

double NoiseGenerator::FloatFromBits(std::uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

NoiseShape NoiseShapeFor(double levelDb, double colour, double rateHz)
{
    NoiseShape shape;
    shape.level = 8.0 * FastExp(levelDb * kLn10Over20);
    shape.redMix = colour < 1.0;
    if (shape.redMix)
    {
        shape.colour = colour;
        shape.gain = 4.0;
    }
    else
    {
        shape.colour = std::clamp(colour - 1.0, 0.0, 1.0);
        shape.gain = rateHz / 44100.0 * 4.0 * 0.7070000171661377;
    }
    return shape;
}

void NoiseGenerator::Configure(double levelDb, double colour, double rateHz)
{
    shape_ = NoiseShapeFor(levelDb, colour, rateHz);
}

double NoiseGenerator::Pink()
{
    const int row = counter_ == 0 ? 0 : HighestBit(counter_) % 16;
    for (int attempt = 0; attempt < kMaxRedraws; ++attempt)
    {
        const double v = Uniform();
        const double sum = pinkSum_ - rows_[row] + v;
        if (sum >= -kPinkBound && sum <= kPinkBound)
        {
            pinkSum_ = sum;
            rows_[row] = v;
            break;
        }
    }
    ++counter_;
    return (pinkSum_ + Uniform()) * 0.125;
}

double NoiseGenerator::Next()
{
    const double pink = Pink();
    const double white = Uniform();
    if (!shape_.redMix)
        return shape_.level * shape_.gain * ((1.0 - shape_.colour) * pink + shape_.colour * white);

    walk_ += Uniform();
    if (walk_ > kWalkBound)
        walk_ = 2.0 * kWalkBound - walk_;
    else if (walk_ < -kWalkBound)
        walk_ = -2.0 * kWalkBound - walk_;
    const double red = walk_ * 0.0625 * shape_.gain;
    const double redPink = (1.0 - shape_.colour) * red + shape_.colour * pink;
    const double mixed = (1.0 - shape_.colour) * redPink + shape_.colour * white;
    previous_ = shape_.level * mixed + kFeedback * previous_;
    return previous_;
}
