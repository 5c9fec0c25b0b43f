#include "PolyphaseInterpolator.h"

PolyphaseInterpolator::PolyphaseInterpolator()
{
    Design(32, 0.25, 2);
}

void PolyphaseInterpolator::Design(int totalTaps, double cutoff, int factor)
{
    // Equal arguments give equal coefficients: only the state is reset.
    if (totalTaps != designTaps_ || cutoff != designCutoff_ || factor != designFactor_) {
        layout_ = DesignPolyphaseBranches(coef_, totalTaps, cutoff, factor);
        designTaps_ = totalTaps;
        designCutoff_ = cutoff;
        designFactor_ = factor;
        for (int t = 0; t < kTaps; ++t)
            for (int p = 0; p < PolyphaseLayout::kMaxFactor; ++p)
                coefByTap_[t * PolyphaseLayout::kMaxFactor + p] = coef_[p][t];
    }
    gain_ = layout_.factor;
    readIndex_ = 0;
}

void PolyphaseInterpolator::Push(double x)
{
    writePos_ = (writePos_ == 0) ? kTaps - 1 : writePos_ - 1;
    history_[writePos_] = x;
    history_[writePos_ + kTaps] = x;

    allBranches_(coefByTap_, x, history_ + writePos_, layout_.branchTaps, layout_.factor, output_);
    readIndex_ = 0;
}
