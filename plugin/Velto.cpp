// Velto's reaction to resets and parameter changes, and its audio routine.

#include "Velto.h"

#include <algorithm>
#include <cmath>

#include "FastExp.h"
#include "FollowerPair.h"
#include "FpEnvironment.h"
#include "HighpassPair.h"

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kDbToLog = 0.1151292546497;  // ln 10 / 20
constexpr double kEpsilon = 2.22045e-15;

double DbToGain(double db) { return std::exp(db * kDbToLog); }

// Two band-split sections side by side over N oversampled values: section
// pair[0] on lane A, pair[1] on lane B, each with its own arithmetic and
// state. [audio thread]
template <int N>
VELTO_LANES_INLINE void SplitPair(OnePoleLowpass* pair, const Lanes2* x, Lanes2* out) {
  const Lanes2 b0 = Lanes2::Of(pair[0].b0, pair[1].b0), a1 = Lanes2::Of(pair[0].a1, pair[1].a1);
  Lanes2 y = Lanes2::Of(pair[0].y, pair[1].y);
  VELTO_UNROLL
  for (int k = 0; k < N; ++k) out[k] = y = b0 * x[k] + a1 * y;
  pair[0].y = y.A();
  pair[1].y = y.B();
}

// The drive's channel mismatch widens the left band split by this factor.
double MismatchFactor(const SaturationCore& core) { return 1.0 + 0.01 * core.GetModelValue(27); }

}  // namespace

// ---------------------------------------------------------------------------
// Reset and parameter reaction

void Velto::Reset() {
  IEffectLock lock(Mutex());
  const double fs = GetSampleRate();
  rateSupported_ = RateSupported(fs);

  for (int c = 0; c < 2; ++c) {
    inFollow_[c].Clear();
    outFollow_[c].Clear();
    slowIn_[c].Clear();
    slowOut_[c].Clear();
    holdOut_[c].Clear();
    rms_[c].Clear();
  }
  levels_ = MeterLevels();

  fadeTime_ = 0.1;
  fadeIn_ = true;
  fadeCounter_ = 0;

  core_.SetModel(kOversampling * fs, model_);
  // Sized here rather than with the resampling filters: the lines also run
  // while bypassed, and leaving bypass must not move their positions.
  for (DryDelayLine& line : dry_) line.Resize(kDrySlots);
  SetupOversampling();
  DesignFilters(4);
  UpdateBandGains();

  for (int c = 0; c < 2; ++c) {
    inFollow_[c].Configure(0.001, 300.0, fs);
    rms_[c].Configure(750.0, fs);
    outFollow_[c].Configure(0.001, 300.0, fs);
    holdOut_[c].Configure(0.001, 2500.0, fs);
  }
  for (int c = 0; c < 2; ++c) {
    slowIn_[c].Configure(5.0, 3000.0, fs);
    slowOut_[c].Configure(5.0, 3000.0, fs);
  }

  // A rate nothing is designed for keeps the range the last real rate gave.
  if (rateSupported_) GetParam(kHighFreq)->SetMax(fs * 0.5);
}

void Velto::ArmFade(double seconds) {
  fadeTime_ = seconds;
  fadeIn_ = true;  // the counter carries on; only a reset restarts it
}

void Velto::ParamChanged(int paramIdx) {
  IEffectLock lock(Mutex());
  const IEffectParam* param = GetParam(paramIdx);
  if (!param) return;
  const double v = param->Value();
  IEditorLink* gui = GetGUI();

  switch (paramIdx) {
    case kInGain:
      inGain_ = DbToGain(v);
      core_.SetInputGain(inGain_);
      break;
    case kOutGain:
      outGain_ = DbToGain(v);
      break;
    case kDrive:
      driveGain_ = DbToGain(v);
      core_.SetDrive(driveGain_);
      break;
    case kLowFreq:
      lowSplit_ = v;
      if (gui) gui->ClampParameterControls(kHighFreq, v, GetParam(kHighFreq)->Max());
      DesignFilters(0);
      break;
    case kHighFreq:
      highSplit_ = v;
      if (gui) gui->ClampParameterControls(kLowFreq, GetParam(kLowFreq)->Min(), v);
      DesignFilters(2);
      break;
    case kLowVol:
      lowVol_ = DbToGain(v);
      UpdateBandGains();
      break;
    case kMidVol:
      midVol_ = DbToGain(v);
      UpdateBandGains();
      break;
    case kHighVol:
      highVol_ = DbToGain(v);
      UpdateBandGains();
      break;
    case kHPON:
      hpOn_ = v != 0.0;
      ArmFade(0.15);
      break;
    case kHPFreq:
      hpFreq_ = v;
      DesignFilters(3);
      break;
    case kCenterFreq:
      centerFreq_ = v;
      DesignFilters(2);
      DesignFilters(0);
      break;
    case k3Band:
      threeBand_ = v != 0.0;
      ShowCrossoverControls(threeBand_);
      ArmFade(0.1);
      DesignFilters(4);
      UpdateBandGains();
      break;
    case kHPQ:
      hpQ_ = param->AsInt();
      DesignFilters(3);
      break;
    case kHPRollOff:
      rollOff_ = param->AsInt();
      DesignFilters(3);
      ArmFade(0.15);
      break;
    case kBypass:
      bypass_ = v != 0.0;
      SetupOversampling();
      if (gui) gui->FlagAllForRedraw();
      ArmFade(0.2);
      break;
    case kMix:
      mix_ = v * 0.01;
      break;
    case kMeterScale:
      meterScale_ = v;
      if (gui) {
        for (int idx : links_.inputMeter) gui->SetMeterFloor(idx, v);
        for (int idx : links_.outputMeter) gui->SetMeterFloor(idx, v);
        for (int idx : links_.rangeMeter) gui->SetMeterFloor(idx, v);
        for (int idx : links_.barMeter) gui->SetMeterFloor(idx, v);
        for (int idx : links_.vuLines) gui->SetMeterFloor(idx, v);
      }
      break;
    case kFeedback:
      feedback_ = v * 0.01;
      core_.SetFeedback(feedback_);
      UpdateBandGains();
      break;
    case kEQ_LRMS:
      eqMode_ = param->AsInt();
      if (gui) {
        gui->SetControlText(links_.inputLabel[0], eqMode_ != 0 ? "M" : "L");
        gui->SetControlText(links_.inputLabel[1], eqMode_ != 0 ? "S" : "R");
      }
      UpdateBandGains();
      ArmFade(0.15);
      break;
    case kHP_LRMS:
      hpMode_ = param->AsInt();
      ArmFade(0.15);
      break;
    case kModel:
      model_ = modelCopy_ = 17;
      break;
    default:
      break;
  }
}

// Only the controls of the active crossover are shown.
void Velto::ShowCrossoverControls(bool threeBand) {
  IEditorLink* gui = GetGUI();
  if (!gui) return;
  gui->HideParameterControls(kLowFreq, !threeBand);
  gui->HideParameterControls(kHighFreq, !threeBand);
  gui->HideParameterControls(kMidVol, !threeBand);
  gui->HideParameterControls(kCenterFreq, threeBand);
}

void Velto::OnPresetsChanged() {
  IEffectLock lock(Mutex());
  modelCopy_ = GetParam(kModel)->AsInt();
}

void Velto::UpdateBandGains() {
  const double c = feedback_;
  // More feedback pulls every band toward unity gain.
  bandLow_ = lowVol_ + c * (1.0 - lowVol_);
  bandMid_ = midVol_ + c * (1.0 - midVol_);
  bandHigh_ = highVol_ + c * (1.0 - highVol_);

  // Written exactly as the drive character was tuned: the last two terms
  // form one quotient, so e is 0.998129 without feedback and 0.041343 at 50 %.
  const double e = FastExp(-kTwoPi * c) - FastExp(-kTwoPi) / (1.0 - FastExp(-kTwoPi));
  const double f = (e - 1.0) / 2.0;
  const double v2 = core_.GetModelValue(2);
  const double v3 = core_.GetModelValue(3);
  core_.SetWorkingValues(core_.GetModelValue(0) * e, core_.GetModelValue(1) * e,
                         std::clamp(v2 + (2.0 * v2 - 2.25) * f, 0.0, 1.0),
                         std::clamp(v3 + (2.0 * v3 - 2.25) * f, 0.0, 1.0));
  if (core_.HasHiss()) core_.ConfigureHiss(1.0 + c * 0.5, 1.0 + c);
}

// ---------------------------------------------------------------------------
// Filter design

void Velto::SetupOversampling() {
  const int factor = kOversampling;
  if (factor < 2 || bypass_) return;
  for (int c = 0; c < 2; ++c) {
    decim_[c].Design(kDecimatorTaps, 0.497 / factor, factor);
    interp_[c].Design(kInterpolatorTaps, 0.525 / factor, factor);
  }
}

void Velto::DesignFilters(int group) {
  const double fs4 = kOversampling * GetSampleRate();
  const double d = MismatchFactor(core_);
  switch (group) {
    case 0: {
      const double f = threeBand_ ? lowSplit_ : centerFreq_;
      split_[0].Design(d * f, fs4);
      split_[1].Design(f, fs4);
      break;
    }
    case 2:
      if (threeBand_) {
        split_[2].Design(d * highSplit_, fs4);
        split_[4].Design(d * highSplit_, fs4);
        split_[3].Design(highSplit_, fs4);
        split_[5].Design(highSplit_, fs4);
      } else {
        split_[4].Design(d * centerFreq_, fs4);
        split_[5].Design(centerFreq_, fs4);
      }
      break;
    case 3:
      DesignHighpass();
      break;
    case 4:
      DesignFilters(0);
      DesignFilters(2);
      DesignFilters(3);
      break;
    default:
      break;
  }
}

void Velto::DesignHighpass() {
  const double fs = GetSampleRate();
  // Stage frequencies (as divisors of HP Freq) and qualities of each
  // response, by roll-off 2, 3 and 4. Any other roll-off designs as 2.
  struct Stages {
    double div1, q1, div2, q2, divPre;
  };
  static constexpr Stages kTable[3][3] = {
      {{1.2736, 0.5773, 1, 0.7071, 1}, {1.4524, 0.691, 1, 0.7071, 1.327}, {1.4192, 0.5219, 1.5912, 0.8055, 1}},  // Bessel
      {{1, 0.7071, 1, 0.7071, 1}, {1, 1.0, 1, 0.7071, 1}, {1, 0.5412, 1, 1.3065, 1}},  // Butterworth
      {{1.2314, 0.8638, 1, 0.7071, 1}, {0.9971, 2.0176, 1, 0.7071, 0.4942}, {0.5286, 0.7845, 0.9932, 3.56, 1}},  // Chebyshev
  };
  const double F = hpFreq_;
  double f1 = F, q1 = 0.7071, f2 = F, q2 = 0.7071, fPre = F;
  if (hpQ_ >= 0 && hpQ_ <= 2) {
    const Stages& st = kTable[hpQ_][rollOff_ == 3 ? 1 : rollOff_ == 4 ? 2 : 0];
    f1 = F / st.div1, q1 = st.q1, f2 = F / st.div2, q2 = st.q2, fPre = F / st.divPre;
  }
  hp_[0].DesignHighpass(f1, q1, fs);
  hp_[1].DesignHighpass(f1, q1, fs);
  hp_[2].DesignHighpass(f2, q2, fs);
  hp_[3].DesignHighpass(f2, q2, fs);
  split_[6].Design(fPre, fs);
  split_[7].Design(fPre, fs);
}

// ---------------------------------------------------------------------------
// Audio

// The high-pass cascade of one channel (0 left, 1 right): roll-off 2 is
// stage 1 alone, 3 a one-pole high-pass before stage 1, 4 stage 1 then stage 2.
double Velto::Highpass(int channel, double x) {
  BiquadSection& stage1 = hp_[channel];
  if (rollOff_ == 3) return stage1.ProcessDF2(x - split_[6 + channel].Process(x));
  const double y = stage1.ProcessDF2(x);
  return rollOff_ == 4 ? hp_[2 + channel].ProcessDF1(y) : y;
}

// The tone bands of N oversampled values u, weighted and summed into c; in
// mid or side mode only that signal passes the tone stage. [audio thread]
template <int N>
VELTO_LANES_INLINE void Velto::SplitBands(const Lanes2* u, Lanes2* c) {
  constexpr int n = N;
  const Lanes2 gainLow = Lanes2::Both(bandLow_), gainMid = Lanes2::Both(bandMid_), gainHigh = Lanes2::Both(bandHigh_);
  Lanes2 low[n], t[n];
  SplitPair<n>(split_ + 0, u, low);
  if (threeBand_) {
    Lanes2 high[n];
    VELTO_UNROLL
    for (int k = 0; k < n; ++k) t[k] = u[k] - low[k];
    SplitPair<n>(split_ + 2, t, t);  // mid
    SplitPair<n>(split_ + 4, u, high);
    VELTO_UNROLL
    for (int k = 0; k < n; ++k) c[k] = gainMid * t[k] + gainLow * low[k] + gainHigh * (u[k] - high[k]);
  } else {
    VELTO_UNROLL
    for (int k = 0; k < n; ++k) c[k] = gainHigh * (u[k] - low[k]) + gainLow * low[k];
  }
  VELTO_UNROLL
  for (int k = 0; k < n; ++k) c[k] = eqMode_ == 2 ? AOfXBOfY(u[k], c[k]) : eqMode_ == 1 ? AOfXBOfY(c[k], u[k]) : c[k];
}

void Velto::ProcessDouble(double** inputs, double** outputs, int frames) {
  ScopedDenormalGuard denormals;  // flush-to-zero, round toward zero, for this block
  if (!rateSupported_) {
    PassThroughUnprocessed(inputs, outputs, frames);
    return;
  }
#if defined(VELTO_FRAMES_AVX2)
  if (core_.UsesAvx2())
    ProcessFramesAvx2(inputs, outputs, frames);
  else
#endif
    ProcessFrames(inputs, outputs, frames);
  if (!OutputSane(outputs, frames)) Recover(outputs, frames);
  HandOverMeters();
}

#if defined(VELTO_FRAMES_AVX2)
// The same frame routine in the three-operand AVX encoding, taken where the
// core runs its AVX2 form: the same arithmetic and results, fewer register
// copies. [audio thread, lock held]
__attribute__((target("avx2"))) void Velto::ProcessFramesAvx2(double** inputs, double** outputs, int frames) {
  ProcessFrames(inputs, outputs, frames);
}
#endif

// The frames of one block through the chain into outputs, the meters'
// and the output high-pass's states handed back after it. [audio thread, lock held]
VELTO_LANES_INLINE void Velto::ProcessFrames(double** inputs, double** outputs, int frames) {
  const double fs = GetSampleRate();
  double fadeLength = fs * fadeTime_;
  const double* inL = inputs[0];
  const double* inR = inputs[1];
  double* outL = outputs[0];
  double* outR = outputs[1];

  // The meters' followers run in lanes over the block, their state handed
  // back after it.
  struct {
    FollowerPair in, out, slowIn, slowOut, hold;
    RmsPair rms;
  } meters;
  const auto eachMeter = [&](auto&& step) {
    step(meters.in, inFollow_);
    step(meters.out, outFollow_);
    step(meters.slowIn, slowIn_);
    step(meters.slowOut, slowOut_);
    step(meters.hold, holdOut_);
    step(meters.rms, rms_);
  };
  eachMeter([](auto& pair, const auto* followers) { pair.Load(followers); });
  // The stereo output high-pass likewise; the mid or side one runs alone.
  const bool pairedHighpass = hpMode_ != 1 && hpMode_ != 2;
  HighpassPair highpass;
  highpass.Load(hp_, hp_ + 2, split_ + 6, rollOff_);

  // Two frames at a time: their eight oversampled values go through each
  // stage of the tone path together, so the stages' chains overlap. The
  // values are those of one frame after the other.
  constexpr int kFrames = 2;
  for (int i = 0; i < frames; i += kFrames) {
    const int count = std::min(kFrames, frames - i);
    double x0[kFrames], x1[kFrames], a[kFrames], b[kFrames];
    Lanes2 wet[kFrames];
    for (int f = 0; f < count; ++f) {
      x0[f] = LimitInput(inL[i + f]);
      x1[f] = LimitInput(inR[i + f]);
      if (eqMode_ == 0) {
        a[f] = x0[f], b[f] = x1[f];
      } else {
        a[f] = (x0[f] + x1[f]) * 0.5;  // mid
        b[f] = (x1[f] - x0[f]) * 0.5;  // side
      }
    }
    if (!bypass_) {
      // Channels A and B side by side from the interpolators to the decimators.
      Lanes2 up[kFrames * kOversampling], c[kFrames * kOversampling];
      for (int f = 0; f < count; ++f)
        PolyphaseInterpolator::PushPair(interp_[0], interp_[1], a[f], b[f], up + f * kOversampling);
      if (count == kFrames)
        SplitBands<kFrames * kOversampling>(up, c);
      else
        SplitBands<kOversampling>(up, c);
      core_.ProcessBlock(c, count * kOversampling);
      for (int f = 0; f < count; ++f)
        wet[f] = PolyphaseDecimator::DecimateGroupPair(decim_[0], decim_[1], c + f * kOversampling);
    }

    for (int f = 0; f < count; ++f) {
      double yL, yR;
      dry_[0].Write(x0[f]);
      dry_[1].Write(x1[f]);
      if (bypass_) {
        // Only the dry lines and the fade run: the bypassed signal stays as
        // late as the processed one, so neither switch jumps in time.
        // Filters, core and meters keep their state.
        yL = dry_[0].Read();
        yR = dry_[1].Read();
      } else {
        const double wA = wet[f].A() * outGain_;
        const double wB = wet[f].B() * outGain_;
        double wL = wA, wR = wB;
        if (eqMode_ != 0) {
          wL = wA - wB;
          wR = wB + wA;
        }
        const double dL = dry_[0].Read();
        const double dR = dry_[1].Read();
        const double mL = (1.0 - mix_) * dL + mix_ * wL;
        const double mR = (1.0 - mix_) * dR + mix_ * wR;

        if (!hpOn_) {
          yL = mL, yR = mR;
        } else if (hpMode_ == 1) {
          const double m = (mL + mR) * 0.5, s = (mR - mL) * 0.5;
          const double mf = Highpass(0, m);
          yL = mf - s, yR = mf + s;
        } else if (hpMode_ == 2) {
          const double m = (mR + mL) * 0.5, s = (mR - mL) * 0.5;
          const double sf = Highpass(0, s);
          yL = m - sf, yR = m + sf;
        } else {
          const Lanes2 y = highpass.Process(Lanes2::Of(mL, mR));
          yL = y.A(), yR = y.B();
        }

        // Meters follow the tone stage's channels on the input side.
        const Lanes2 in = Abs(Lanes2::Both(inGain_) * Lanes2::Of(a[f], b[f]));
        const Lanes2 out = Abs(Lanes2::Of(yL, yR));
        meters.in.Update(in);
        meters.out.Update(out);
        meters.slowIn.Update(in);
        meters.slowOut.Update(out);
        meters.rms.Update(out);
        meters.hold.Update(out);
      }

      if (fadeIn_) {
        fadeLength = std::clamp(fadeLength, 1.0, fs);
        const int length = static_cast<int>(fadeLength);
        fadeCounter_ = fadeCounter_ < 0 ? 0 : std::min(fadeCounter_, length);
        const double g = std::clamp(fadeCounter_ / (fadeLength + kEpsilon), 0.0, 1.0);
        yL = std::clamp(yL * g, -g, g);
        yR = std::clamp(yR * g, -g, g);
        if (++fadeCounter_ > length) {
          fadeIn_ = false;
          fadeCounter_ = 0;
        }
      }
      outL[i + f] = yL;
      outR[i + f] = yR;
    }
  }

  eachMeter([](const auto& pair, auto* followers) { pair.Store(followers); });
  if (pairedHighpass) highpass.Store(hp_, hp_ + 2, split_ + 6);
}

void Velto::HandOverMeters() {
  auto unit = [](double v) { return std::clamp(v, 0.0, 1.0); };
  for (int c = 0; c < 2; ++c) {
    outFollow_[c].display = unit(outFollow_[c].state);
    levels_.in[c] = unit(inFollow_[c].state);
    levels_.out[c] = outFollow_[c].display;
    levels_.bars[c] = unit(slowIn_[c].state);
    levels_.bars[2 + c] = unit(slowOut_[c].state);
    levels_.peak[c] = unit(holdOut_[c].state);
    levels_.rms[c] = unit(rms_[c].Rms());
    outPeak_[c].store(levels_.peak[c], std::memory_order_relaxed);
    outRms_[c].store(levels_.rms[c], std::memory_order_relaxed);
  }
  IEditorLink* gui = GetGUI();
  if (!gui) return;
  for (int c = 0; c < 2; ++c) gui->PushControlValue(links_.outputReadout[c], outFollow_[c].state);
  for (int c = 0; c < 2; ++c) gui->PushControlValue(links_.inputMeter[c], levels_.in[c]);
  for (int c = 0; c < 2; ++c) gui->PushControlValue(links_.outputMeter[c], levels_.out[c]);
  for (int m = 0; m < 4; ++m) gui->PushControlValue(links_.barMeter[m], levels_.bars[m]);
}
