// Velto's guards against what hosts may do to it: rates its filters are not
// designed for, and a chain state that has left any sane range.

#include <cmath>

#include "Velto.h"

// Outside the supported rates nothing is designed for the rate, so nothing of
// the chain runs: the input comes out as late as the reported latency, through
// the dry lines (limited and cleaned like the chain's input), and the meters
// hold.
void Velto::PassThroughUnprocessed(double** inputs, double** outputs, int frames) {
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < 2; ++c) {
      dry_[c].Write(LimitInput(inputs[c][i]));
      outputs[c][i] = dry_[c].Read();
    }
  }
}

// One pass over the block: everything finite and under the output ceiling.
bool Velto::OutputSane(double** outputs, int frames) const {
  bool sane = true;
  for (int c = 0; c < 2; ++c) {
    const double* out = outputs[c];
    for (int i = 0; i < frames; ++i) sane &= std::fabs(out[i]) <= kOutputCeiling;  // false for NaN
  }
  return sane;
}

// The block goes out as silence; every recursive memory of the chain is
// cleared (the resampling filters and dry lines hold only limited input and
// empty themselves within a dozen samples, so at most one more block goes out
// silent), and the output fades in again from silence over 0.1 s.
void Velto::Recover(double** outputs, int frames) {
  ++recoveries_;
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < frames; ++i) outputs[c][i] = 0.0;
  for (OnePoleLowpass& section : split_) section.Clear();
  for (BiquadSection& section : hp_) section.ClearMemory();
  // The core starts again as built (a plain copy, no allocation), then takes
  // the rate, the model and the current settings back.
  core_ = pristineCore_;
  core_.SetModel(kOversampling * GetSampleRate(), model_);
  core_.SetInputGain(inGain_);
  core_.SetDrive(driveGain_);
  core_.SetFeedback(feedback_);
  UpdateBandGains();
  fadeTime_ = 0.1;
  fadeIn_ = true;
  fadeCounter_ = 0;
}
