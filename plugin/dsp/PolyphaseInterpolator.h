#pragma once

#include "Lanes2.h"
#include "PolyphaseDesign.h"

// Polyphase FIR interpolator by an integer factor L (1..8).
//
// The prototype low-pass (windowed sinc, N taps) is split into L branches
// (see DesignPolyphaseBranches). Push() runs every branch on the new
// base-rate sample; Next() then hands out the L oversampled values in time
// order, each multiplied by the output gain L (which restores the level lost
// by zero-stuffing). Branch p holds taps p, p + L, ..., so it computes the
// output at phase p of the group: branch 0 comes first and branch L-1 last.
// (Handing them out the other way round reverses time inside every group:
// the round trip through the decimator still nulls, but the oversampled
// signal in between carries images only about 26 dB down at 1 kHz.)
//
// Group delay: (N - 1) / 2 oversampled samples. With the matching
// PolyphaseDecimator, interpolator -> identity -> decimator returns the
// low-passed input delayed by ((Nup - 1) / 2 + (Ndown - 1) / 2 - (L - 1)) / L
// base-rate samples: 31 for 80 and 176 taps at factor 4.
//
// Storage is fixed (8 branches x 64 taps); Design and the per-sample calls
// never allocate. Every branch sees the same input, so one history serves
// them all. It is a doubled ring: each sample is written at p and p + 64, so
// the newest 64 samples are always one contiguous window (newest first) and
// the branches run side by side in vector lanes over it (BranchDot.h).
class PolyphaseInterpolator
{
public:
    // Holds a placeholder design (factor 2) until the first real Design.
    PolyphaseInterpolator();

    // Limits as DesignPolyphaseBranches; cutoff is relative to the
    // oversampled rate. Keeps the history. [any thread, not concurrently
    // with Push/Next]
    void Design(int totalTaps, double cutoff, int factor);

    // Runs all branches on base-rate sample x; Next() starts at branch 0.
    // [audio thread]
    void Push(double x);

    // Next oversampled value, already scaled by the output gain. Call
    // Factor() times per Push. [audio thread]
    double Next()
    {
        const double v = output_[readIndex_] * gain_;
        readIndex_ = (readIndex_ + 1 == layout_.factor) ? 0 : readIndex_ + 1;
        return v;
    }

    // Push(xa) on a and Push(xb) on b, with all Factor() values handed out
    // at once: out[k] holds the k-th values Next() of a and of b would
    // return, bit for bit, in one pass over the coefficient rows for both
    // channels. Next() afterwards starts over at that group's first value,
    // as after Push. If the two differ in design, each runs alone and out
    // gets a.Factor() values. [audio thread]
    static void PushPair(PolyphaseInterpolator& a, PolyphaseInterpolator& b, double xa, double xb, Lanes2* out);

    int Factor() const { return layout_.factor; }
    int TotalTaps() const { return layout_.totalTaps; }
    int BranchTaps() const { return layout_.branchTaps; }
    double Coefficient(int branch, int tap) const { return coef_[branch][tap]; }

private:
    static constexpr int kTaps = PolyphaseLayout::kMaxBranchTaps;

    // Writes x into the history; returns the window, newest first.
    const double* Store(double x)
    {
        writePos_ = (writePos_ == 0) ? kTaps - 1 : writePos_ - 1;
        history_[writePos_] = x;
        history_[writePos_ + kTaps] = x;
        return history_ + writePos_;
    }

    bool SameDesign(const PolyphaseInterpolator& other) const
    {
        return designTaps_ == other.designTaps_ && designCutoff_ == other.designCutoff_
               && designFactor_ == other.designFactor_;
    }

    PolyphaseLayout layout_;
    AllBranchesFn allBranches_ = BestAllBranches();
    AllBranchesPairFn allBranchesPair_ = BestAllBranchesPair();
    // The arguments of the last Design (none yet: the first always designs).
    int designTaps_ = 0, designFactor_ = 0;
    double designCutoff_ = 0.0;
    int readIndex_ = 0;
    double gain_ = 2.0;
    int writePos_ = 0;
    double output_[PolyphaseLayout::kMaxFactor] = {};
    double coef_[PolyphaseLayout::kMaxFactor][kTaps] = {};
    // The same taps ordered tap by tap, the branches side by side, so that
    // vector lanes run the branches together.
    alignas(32) double coefByTap_[kTaps * PolyphaseLayout::kMaxFactor] = {};
    double history_[2 * kTaps] = {};
};
