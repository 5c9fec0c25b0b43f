#pragma once

#include "PolyphaseDesign.h"

// Polyphase FIR decimator by an integer factor L (1..8), the counterpart of
// PolyphaseInterpolator.
//
// Output n is the full-rate convolution sum(h[i] * u[t - i]) at t = the last
// value of group n. In polyphase form, the k-th value of a group (k =
// 0..L-1, the branch counter) is L-1-k samples older than t, so it enters
// branch L-1-k (taps L-1-k, 2L-1-k, ...) and adds that branch's dot product
// to the accumulator: the decimator sums one branch per oversampled step and
// the work per base-rate output is one pass over the N taps. TakeOutput()
// returns the group's sum and starts the next group. The group delay is
// (N - 1) / 2 oversampled samples, measured from the group's last value.
//
// Storage is fixed (8 branches x 64 taps, one doubled-ring history per
// branch: each value is written at p and p + 64 so the newest 64 values are
// one contiguous window); nothing allocates.
class PolyphaseDecimator
{
public:
    // Holds a placeholder design (factor 2) until the first real Design.
    PolyphaseDecimator();

    // Limits as DesignPolyphaseBranches; cutoff is relative to the
    // oversampled rate. Keeps the histories and restarts the group.
    // [any thread, not concurrently with Push/TakeOutput]
    void Design(int totalTaps, double cutoff, int factor);

    // [audio thread]
    void Push(double u)
    {
        const int k = layout_.factor - 1 - branch_;
        accumulator_ += BranchOutput(dot_, coef_[k], u, Store(k, u), layout_.branchTaps);
        branch_ = (branch_ + 1 == layout_.factor) ? 0 : branch_ + 1;
    }

    // Push(ua) on a and Push(ub) on b in one pass when both hold the same
    // design at the same branch (channels A and B of the chain): the
    // coefficients are loaded once, the results are those of the two Push
    // calls bit for bit. [audio thread]
#if defined(__GNUC__)
    __attribute__((always_inline))  // also into the chain's AVX2 form
#endif
    static void PushPair(PolyphaseDecimator& a, PolyphaseDecimator& b, double ua, double ub)
    {
        if (a.branch_ != b.branch_ || !a.SameDesign(b))
        {
            a.Push(ua);
            b.Push(ub);
            return;
        }
        const int k = a.layout_.factor - 1 - a.branch_;
        const double* windowA = a.Store(k, ua);
        const double* windowB = b.Store(k, ub);
        const double* c = a.coef_[k];
        double dots[2];
        a.dotPair_(c + 1, windowA + 1, windowB + 1, a.layout_.branchTaps - 1, dots);
        a.accumulator_ += c[0] * ua + dots[0];
        b.accumulator_ += c[0] * ub + dots[1];
        a.branch_ = b.branch_ = (a.branch_ + 1 == a.layout_.factor) ? 0 : a.branch_ + 1;
    }

    // Sum of the current group; resets the accumulator and the branch
    // counter. [audio thread]
    double TakeOutput()
    {
        const double y = accumulator_;
        accumulator_ = 0.0;
        branch_ = 0;
        return y;
    }

    int Factor() const { return layout_.factor; }
    int TotalTaps() const { return layout_.totalTaps; }
    int BranchTaps() const { return layout_.branchTaps; }

private:
    static constexpr int kTaps = PolyphaseLayout::kMaxBranchTaps;

    // Writes u into branch k's history; returns the window, newest first.
    const double* Store(int k, double u)
    {
        int& pos = writePos_[k];
        pos = (pos == 0) ? kTaps - 1 : pos - 1;
        double* h = history_[k];
        h[pos] = u;
        h[pos + kTaps] = u;
        return h + pos;
    }

    bool SameDesign(const PolyphaseDecimator& other) const
    {
        return designTaps_ == other.designTaps_ && designCutoff_ == other.designCutoff_
               && designFactor_ == other.designFactor_;
    }

    PolyphaseLayout layout_;
    BranchDotFn dot_ = BestBranchDot();
    BranchDotPairFn dotPair_ = BestBranchDotPair();
    // The arguments of the last Design: equal arguments, equal coefficients.
    int designTaps_ = 0, designFactor_ = 0;
    double designCutoff_ = 0.0;
    int branch_ = 0;
    double accumulator_ = 0.0;
    int writePos_[PolyphaseLayout::kMaxFactor] = {};
    double coef_[PolyphaseLayout::kMaxFactor][kTaps] = {};
    double history_[PolyphaseLayout::kMaxFactor][2 * kTaps] = {};
};
