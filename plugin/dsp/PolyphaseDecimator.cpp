#include "PolyphaseDecimator.h"

PolyphaseDecimator::PolyphaseDecimator()
{
    Design(32, 0.25, 2);
}

void PolyphaseDecimator::Design(int totalTaps, double cutoff, int factor)
{
    // A bypass switch designs the same filter again (on whichever thread
    // the parameter changed): keep the coefficients, reset only the state.
    if (totalTaps != designTaps_ || cutoff != designCutoff_ || factor != designFactor_) {
        layout_ = DesignPolyphaseBranches(coef_, totalTaps, cutoff, factor);
        designTaps_ = totalTaps;
        designCutoff_ = cutoff;
        designFactor_ = factor;
    }
    branch_ = 0;
    accumulator_ = 0.0;
}
