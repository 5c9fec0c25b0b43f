#include "PolyphaseDecimator.h"

#include <initializer_list>

namespace
{
// BranchDot over every stride-th value of x: the same eight partial sums in
// the same order, so the same result bit for bit as on a gathered row.
double StridedBranchDot(const double* c, const double* x, int stride, int taps)
{
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0, s5 = 0.0, s6 = 0.0, s7 = 0.0;
    int k = 0;
    for (; k + 8 <= taps; k += 8)
    {
        const double* v = x + k * stride;
        s0 += c[k] * v[0];
        s1 += c[k + 1] * v[stride];
        s2 += c[k + 2] * v[2 * stride];
        s3 += c[k + 3] * v[3 * stride];
        s4 += c[k + 4] * v[4 * stride];
        s5 += c[k + 5] * v[5 * stride];
        s6 += c[k + 6] * v[6 * stride];
        s7 += c[k + 7] * v[7 * stride];
    }
    for (; k < taps; ++k)
        s0 += c[k] * x[k * stride];
    return ((s0 + s1) + (s2 + s3)) + ((s4 + s5) + (s6 + s7));
}
}  // namespace

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
    const double* window = Store(u);
    accumulator_ += c[0] * u + StridedBranchDot(c + 1, window + l, l, layout_.branchTaps - 1);
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
        if (l == 4)
        {
            // The chain's factor: each channel's four values, newest first,
            // as two pairs into both copies of the ring.
            const Lanes2 a32 = Firsts(group[3], group[2]), a10 = Firsts(group[1], group[0]);
            const Lanes2 b32 = Seconds(group[3], group[2]), b10 = Seconds(group[1], group[0]);
            for (double* h : {a.history_ + pa, a.history_ + pa + kRing})
            {
                a32.Store(h);
                a10.Store(h + 2);
            }
            for (double* h : {b.history_ + pb, b.history_ + pb + kRing})
            {
                b32.Store(h);
                b10.Store(h + 2);
            }
        }
        else
        {
            double* ha = a.history_ + pa + l - 1;
            double* hb = b.history_ + pb + l - 1;
            for (int k = 0; k < l; ++k)
            {
                const Lanes2 v = group[k];
                ha[-k] = ha[kRing - k] = v.A();
                hb[-k] = hb[kRing - k] = v.B();
            }
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
