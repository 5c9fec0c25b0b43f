#include "PolyphaseDecimator.h"

#include <initializer_list>

PolyphaseDecimator::PolyphaseDecimator()
{
    Design(32, 0.25, 2);
}

void PolyphaseDecimator::Design(int totalTaps, double cutoff, int factor)
{
    // A bypass switch designs the same filter again (on whichever thread
    // the parameter changed): keep the coefficients, reset only the state.
    if (totalTaps != designTaps_ || cutoff != designCutoff_ || factor != designFactor_)
    {
        layout_ = DesignPolyphaseBranches(coef_, totalTaps, cutoff, factor);
        designTaps_ = totalTaps;
        designCutoff_ = cutoff;
        designFactor_ = factor;
        for (int i = 0; i < kRing; ++i)
            taps_[i] = i < layout_.totalTaps ? coef_[i % layout_.factor][i / layout_.factor] : 0.0;
        fullDotPair_ = BestFullDotPair(layout_.totalTaps);
    }
    branch_ = 0;
    accumulator_ = 0.0;
}

void PolyphaseDecimator::Push(double u)
{
    const int l = layout_.factor;
    const double* c = coef_[l - 1 - branch_];
    // The branch's values are every l-th one of the full-rate window.
    const double* window = Store(u);
    double row[PolyphaseLayout::kMaxBranchTaps];
    for (int k = 0; k < layout_.branchTaps; ++k)
        row[k] = window[k * l];
    accumulator_ += BranchOutput(c, u, row, layout_.branchTaps);
    branch_ = (branch_ + 1 == l) ? 0 : branch_ + 1;
}

Lanes2 PolyphaseDecimator::DecimateGroupPair(PolyphaseDecimator& a, PolyphaseDecimator& b,
                                             const Lanes2* group)
{
    const int l = a.layout_.factor;
    if (a.branch_ != 0 || b.branch_ != 0 || a.accumulator_ != 0.0 || b.accumulator_ != 0.0
        || !a.SameDesign(b))
    {
        for (int k = 0; k < l; ++k)
        {
            a.Push(group[k].A());
            b.Push(group[k].B());
        }
        return Lanes2::Of(a.TakeOutput(), b.TakeOutput());
    }
    int pa = a.writePos_, pb = b.writePos_;
    if (pa >= l && pb >= l)
    {
        // The group fits below both write positions: one block each, the
        // newest value at the new position.
        pa -= l;
        pb -= l;
        // Each channel's values, newest first, two at a time into both
        // copies of the ring.
        double* ha = a.history_ + pa;
        double* hb = b.history_ + pb;
        int i = 0;
        for (; i + 2 <= l; i += 2)
        {
            const Lanes2 newer = group[l - 1 - i], older = group[l - 2 - i];
            for (int copy : {0, kRing})
            {
                Firsts(newer, older).Store(ha + i + copy);
                Seconds(newer, older).Store(hb + i + copy);
            }
        }
        if (i < l)
        {
            ha[i] = ha[i + kRing] = group[0].A();
            hb[i] = hb[i + kRing] = group[0].B();
        }
        a.writePos_ = pa;
        b.writePos_ = pb;
    }
    else
    {
        for (int k = 0; k < l; ++k)
        {
            a.Store(group[k].A());
            b.Store(group[k].B());
        }
    }
    double out[2];
    a.fullDotPair_(a.taps_, a.history_ + a.writePos_, b.history_ + b.writePos_, a.layout_.totalTaps, out);
    return Lanes2::Load(out);
}
