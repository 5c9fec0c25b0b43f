#pragma once

#include "BiquadSection.h"
#include "Lanes2.h"
#include "ModulationTable.h"
#include "NoisePair.h"
#include "OnePoleLowpass.h"
#include "SaturationModels.h"
#include "SaturationStagePair.h"

// The nonlinear stage of the drive, run once per oversampled sample on two
// channels (A and B: left/right or mid/side).
//
// Per sample: input gain and a short lag; a split into low and high band per
// channel; four SaturationStages (low A, low B, high A, high B) driven by the
// drive and the model's amounts; crosstalk between the channels; drive-
// dependent low and high boosts; a presence addition around a fixed
// equaliser (high peak, low peak, subsonic high-pass); hiss; a slow recursive
// memory term; and a DC blocker with the drive compensation at the output.
// The character comes from a model row (17 or 25, see SaturationModels.h).
// The two channels run side by side in the lanes of Lanes2 (the stages as
// two SaturationStagePairs, the hiss as a NoisePair), each lane with the
// arithmetic of its own channel.
//
// Threading: Process runs on the audio thread; every other call changes the
// design and must not run concurrently with it (the plug-in holds its
// instance lock around both). Process allocates nothing and makes no system
// call. Construction calls rand() three times (modulation start, two noise
// seeds), so seed the C runtime generator first for reproducible output.
class SaturationCore
{
public:
    // Model 25 at 44100 Hz, drive 1, input gain 1, feedback 0, pre/post
    // amount 0, quantiser and hiss disabled.
    SaturationCore();

    // Loads a model row (17; anything else gives 25) for the oversampled
    // rate: working values, sections, coefficients. Clears the second-order
    // memories, memory-term histories, stage envelopes and lag states; the
    // one-pole states, DC blockers and noise generators keep theirs. Re-applies
    // the current feedback and drive. rateHz > 0.
    void SetModel(double rateHz, int model);

    // Linear drive gain (> 0); sets compensation, band drives and boosts.
    void SetDrive(double linear);

    // Feedback amount 0..0.5: shortens the stage envelopes' release.
    void SetFeedback(double amount);

    // Linear input gain applied to both channels.
    void SetInputGain(double linear) { inputGain = linear; }
    double inputGain = 1.0;

    // Model value by index 0..36; 0 for other indices.
    double GetModelValue(int index) const;

    // Working copies of model values 0..3 (amounts and asymmetries), as the
    // plug-in's feedback pull sets them.
    void SetWorkingValues(double w0, double w1, double w2, double w3);
    double WorkingValue(int index) const { return working_[index & 3]; }

    // True when the loaded model has hiss (a negative noise level).
    bool HasHiss() const { return model_->hasNoise; }
    // Hiss level = model level dB * levelFactor, colour = model colour *
    // colourFactor. Does nothing for a model without hiss.
    void ConfigureHiss(double levelFactor, double colourFactor);

    // The quantiser-and-hiss block; off at construction. The quantiser itself
    // is inactive for the supported models (32 bits), so this gates the hiss.
    void EnableQuantiserAndHiss(bool enable) { hissEnabled_ = enable; }

    // Amount of the pre/post waveshaper; 0 skips it. Only stored: the stage
    // is not built (the plug-in keeps the amount at 0).
    void SetPrePostAmount(double amount) { prePostAmount_ = amount; }
    double PrePostAmount() const { return prePostAmount_; }

    // One oversampled sample of both channels, A in the first lane, B in
    // the second. [audio thread]
    Lanes2 Process(Lanes2 ab);

    // Process on io[0..n-1] in place, in that order: the same values as n
    // Process calls, with the work of a block of kBlock or kLongBlock
    // samples overlapped. [audio thread]
    static constexpr int kBlock = 4;
    static constexpr int kLongBlock = 8;
    void ProcessBlock(Lanes2* io, int n);

    // Process runs in AVX2 encoding on x86-64 processors that have it (fewer
    // instructions, the same arithmetic and results), in SSE2 or plain
    // doubles elsewhere. Tests switch the AVX2 form off to compare the two.
    // [not concurrently with Process]
    void AllowAvx2(bool allow);
    bool UsesAvx2() const { return avx2_; }

    // The same, in place. [audio thread]
    void Process(double& a, double& b)
    {
        const Lanes2 out = Process(Lanes2::Of(a, b));
        a = out.A();
        b = out.B();
    }

    // Derived values, for tests and diagnostics.
    double MemoryFactor() const { return memoryFactor_; }
    double Compensation() const { return compensation_; }
    double LowBoost() const { return lowBoost_; }
    double HighBoost() const { return highBoost_; }
    double LagBlend() const { return lagBlend_; }
    double Rate() const { return rate_; }
    int ModulationPosition() const { return modPos_; }

private:
    double M(int index) const { return model_->value[index]; }
    void DesignSections();
    void ClearHistories();
    template <int N, class V = Lanes2>
    void Run(Lanes2* io);
    Lanes2 RunAvx2(Lanes2 ab);
    template <int N>
    void RunBlockAvx2(Lanes2* io);

    const SaturationModel* model_;
    double rate_ = 44100.0;
    double drive_ = 1.0;
    double feedback_ = 0.0;
    double prePostAmount_ = 0.0;
    bool hissEnabled_ = false;
    bool avx2_ = false;
    int modPos_ = 0;  // modulation read position, 0..599
    const ModulationPairs* modulation_;  // the constant factors

    // Derived from the model and the drive.
    double working_[4] = {};
    double compensation_ = 1.0;
    double highDrive_ = 1.0, lowDrive_ = 0.0;
    double lowBoost_ = 0.0, highBoost_ = 0.0;
    double stageGainLow_ = 1.0, stageGainHigh_ = 1.0;
    double crosstalkLow_ = 0.0, crosstalkHigh_ = 0.0;
    double presenceGain_ = 0.0;
    double lagRise_ = 0.0, lagFall_ = 0.0, lagBlend_ = 1.0;
    double memoryFactor_ = 0.0;
    double dcPole_ = 0.9988888888888889;
    // Mismatch-dependent constant factors (k = model value 27).
    double ampLowA_ = 1.0, ampHighA_ = 1.0;
    double memA1_ = 1.0, memA2_ = 0.1, memB1_ = 1.0, memB3_ = 0.01;

    // Channels A and B in the two lanes of each pair from here on.
    SaturationStagePair lowStages_, highStages_;  // curve 6, curve 5
    OnePoleLowpass split_[2];
    // The output filters of both channels run side by side: designed per
    // channel in the sections below, run (and holding their state) in the
    // pairs, one channel per lane.
    OnePoleLowpass lowBoostFilter_[2], highBoostFilter_[2], presence_[2];
    BiquadSection highPeak_[2], lowPeak_[2], eqHighpass_[2];
    OnePolePair splitPair_, lowBoostPair_, highBoostPair_, presencePair_;
    BiquadPair highPeakPair_, lowPeakPair_, eqHighpassPair_;
    NoisePair noise_;

    double lagAbs_[2] = {}, lagState_[2] = {};
    // Previous outputs of the memory term, newest first, each A and B.
    double memory_[3][2] = {};
    double dcIn_[2] = {}, dcOut_[2] = {};
};
