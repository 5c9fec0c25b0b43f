#include "PolyphaseInterpolator.h"

PolyphaseInterpolator::PolyphaseInterpolator()
{
    Design(32, 0.25, 2);
}

void PolyphaseInterpolator::Design(int totalTaps, double cutoff, int factor)
{
    layout_ = DesignPolyphaseBranches(coef_, totalTaps, cutoff, factor);
    gain_ = layout_.factor;
    readIndex_ = 0;
}

void PolyphaseInterpolator::Push(double x)
{
    writePos_ = (writePos_ == 0) ? kTaps - 1 : writePos_ - 1;
    history_[writePos_] = x;
    history_[writePos_ + kTaps] = x;

    const double* window = history_ + writePos_;
    const int taps = layout_.branchTaps;
    for (int p = 0; p < layout_.factor; ++p)
    {
        const double* c = coef_[p];
        double sum = 0.0;
        for (int k = 0; k < taps; ++k)
            sum += c[k] * window[k];
        output_[p] = sum;
    }
    readIndex_ = 0;
}
