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
    for (int p = 0; p < layout_.factor; ++p)
        output_[p] = BranchOutput(dot_, coef_[p], x, window, layout_.branchTaps);
    readIndex_ = 0;
}
