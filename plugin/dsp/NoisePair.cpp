#include "NoisePair.h"

void NoisePair::Configure(double levelDb, double colour, double rateHz)
{
    shape_ = NoiseShapeFor(levelDb, colour, rateHz);
}

void NoisePair::Redraw(int row, Lanes2 sum, Lanes2 v)
{
    const double first[2] = {v.A(), v.B()};
    const double firstSum[2] = {sum.A(), sum.B()};
    for (int lane = 0; lane < 2; ++lane)
    {
        double draw = first[lane];
        double next = firstSum[lane];
        // The old row stays if every draw fails, which the bounds make very unlikely.
        for (int attempt = 1; !(next >= -kPinkBound && next <= kPinkBound) && attempt < kMaxRedraws; ++attempt)
        {
            draw = (FloatFromBits(Step(lane)) - 3.0) * 0.5;
            next = pinkSum_[lane] - rows_[row][lane] + draw;
        }
        if (next >= -kPinkBound && next <= kPinkBound)
        {
            pinkSum_[lane] = next;
            rows_[row][lane] = draw;
        }
    }
}
