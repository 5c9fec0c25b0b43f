#include "PolyphaseInterpolator.h"

PolyphaseInterpolator::PolyphaseInterpolator()
{
    Design(32, 0.25, 2);
}

void PolyphaseInterpolator::Design(int totalTaps, double cutoff, int factor)
{
    // Equal arguments give equal coefficients: only the state is reset.
    if (totalTaps != designTaps_ || cutoff != designCutoff_ || factor != designFactor_)
    {
        layout_ = DesignPolyphaseBranches(coef_, totalTaps, cutoff, factor);
        designTaps_ = totalTaps;
        designCutoff_ = cutoff;
        designFactor_ = factor;
        for (int t = 0; t < kTaps; ++t)
            for (int p = 0; p < PolyphaseLayout::kMaxFactor; ++p)
                coefByTap_[t * PolyphaseLayout::kMaxFactor + p] = coef_[p][t];
        allBranchesPair_ = BestAllBranchesPair(layout_.branchTaps, layout_.factor);
    }
    gain_ = layout_.factor;
    readIndex_ = 0;
}

void PolyphaseInterpolator::Push(double x)
{
    allBranches_(coefByTap_, x, Store(x), layout_.branchTaps, layout_.factor, output_);
    readIndex_ = 0;
}

void PolyphaseInterpolator::PushPair(PolyphaseInterpolator& a, PolyphaseInterpolator& b, double xa, double xb,
                                     Lanes2* out)
{
    if (!a.SameDesign(b))
    {
        a.Push(xa);
        b.Push(xb);
        for (int k = 0; k < a.layout_.factor; ++k)
        {
            const double va = a.Next();
            out[k] = Lanes2::Of(va, b.Next());
        }
        a.readIndex_ = 0;
        b.readIndex_ = 0;
        return;
    }
    const double* wa = a.Store(xa);
    const double* wb = b.Store(xb);
    a.allBranchesPair_(a.coefByTap_, xa, wa, xb, wb, a.layout_.branchTaps, a.layout_.factor, a.gain_, a.output_,
                       b.output_, reinterpret_cast<double*>(out));
    a.readIndex_ = 0;
    b.readIndex_ = 0;
}
