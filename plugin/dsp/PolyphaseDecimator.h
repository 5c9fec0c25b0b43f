#pragma once

#include "Lanes2.h"
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
// Two ways in, one history. Push/TakeOutput is the reference path, branch by
// branch; DecimateGroupPair takes a whole group of both channels and forms
// the same sum as one dot product of all N taps against the newest N values
// (FullDotPairFn's order). The two sum the same products in a different
// order: for N <= 512 they differ by at most 1e-12 times sum |h[i] u[t - i]|
// (each order is within N ulp of that magnitude sum, in either rounding
// mode), i.e. by at most a relative 1e-12 wherever the output is not the
// near-cancellation of much larger terms.
//
// The history is one full-rate doubled ring (each value written at p and
// p + 512, so the newest 512 values are one contiguous window, newest
// first); branch k's values are every L-th one of it, starting at the
// value just written. Storage is fixed; nothing allocates.
class PolyphaseDecimator
{
public:
    // Holds a placeholder design (factor 2) until the first real Design.
    PolyphaseDecimator();

    // Limits as DesignPolyphaseBranches; cutoff is relative to the
    // oversampled rate. Keeps the history and restarts the group.
    // [any thread, not concurrently with Push/TakeOutput]
    void Design(int totalTaps, double cutoff, int factor);

    // [audio thread]
    void Push(double u);

    // A whole group of both channels: group holds Factor() oversampled
    // values, oldest first, channel A in lane A and B in lane B. Returns both
    // outputs: those of Factor() Push calls and TakeOutput on each, within
    // the bound above. Falls back to exactly that when the two differ in
    // design or either is inside a group. [audio thread]
    static Lanes2 DecimateGroupPair(PolyphaseDecimator& a, PolyphaseDecimator& b, const Lanes2* group);

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
    static constexpr int kRing = PolyphaseLayout::kMaxFactor * PolyphaseLayout::kMaxBranchTaps;

    // Writes u into the history; returns the window, newest first.
    const double* Store(double u)
    {
        writePos_ = (writePos_ == 0) ? kRing - 1 : writePos_ - 1;
        history_[writePos_] = u;
        history_[writePos_ + kRing] = u;
        return history_ + writePos_;
    }

    bool SameDesign(const PolyphaseDecimator& other) const
    {
        return designTaps_ == other.designTaps_ && designCutoff_ == other.designCutoff_
               && designFactor_ == other.designFactor_;
    }

    PolyphaseLayout layout_;
    FullDotPairFn fullDotPair_ = BestFullDotPair();
    // The arguments of the last Design: equal arguments, equal coefficients.
    int designTaps_ = 0, designFactor_ = 0;
    double designCutoff_ = 0.0;
    int branch_ = 0;
    double accumulator_ = 0.0;
    int writePos_ = 0;
    double coef_[PolyphaseLayout::kMaxFactor][PolyphaseLayout::kMaxBranchTaps] = {};
    // The prototype in tap order (coef_ dealt back), for the whole-group dot.
    alignas(32) double taps_[kRing] = {};
    alignas(32) double history_[2 * kRing] = {};
};
