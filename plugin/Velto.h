#pragma once
// Velto: stereo saturation and tone shaping.
//
// The class derives from the binding class of the module it is built into
// (PluginBinding, named by the binding's own PluginBinding.h), so one object is
// plug-in, framework and binding at once. All parameter reactions and the
// audio routine run under the framework's plug-in lock.

#include <atomic>
#include <cmath>

#include "BiquadSection.h"
#include "DryDelayLine.h"
#include "EnvelopeFollower.h"
#include "OnePoleLowpass.h"
#include "PluginBinding.h"
#include "PolyphaseDecimator.h"
#include "PolyphaseInterpolator.h"
#include "RmsFollower.h"
#include "SaturationCore.h"

enum EParams {
  kInGain = 0,
  kOutGain,
  kDrive,
  kLowFreq,
  kHighFreq,
  kLowVol,
  kMidVol,
  kHighVol,
  kHPON,
  kHPFreq,
  kCenterFreq,
  k3Band,
  kHPQ,
  kHPRollOff,
  kBypass,
  kMix,
  kMeterScale,
  kFeedback,
  kEQ_LRMS,
  kHP_LRMS,
  kModel,
  kNumParams
};

// Source names of the parameters, in index order (used by preset text dumps
// and by tools that address parameters by name).
extern const char* const kVeltoParamNames[kNumParams];

// Seeds the C runtime's random generator before the processing members are
// built: the saturation core picks its modulation start and noise seeds from
// it. Production seeds with the processor's time-stamp counter.
struct VeltoRandomSeed {
  VeltoRandomSeed();
  // Makes every instance created afterwards seed with this value instead
  // (tests and offline renders that must repeat exactly). [creation lock]
  static void UseFixedSeed(unsigned seed);
  static void UseTimeStampCounter();
};

class Velto : public PluginBinding {
 public:
  // The oversampled wet path lags its input by the two resampling filters:
  // the dry delay lines (and the bypass, which reads them) wait as long, and
  // the host is told the same delay so it can line Velto's tracks up.
  static constexpr int kOversampling = 4;
  static constexpr int kDecimatorTaps = 44 * kOversampling;
  static constexpr int kInterpolatorTaps = 20 * kOversampling;
  static constexpr int kDrySlots = (kDecimatorTaps / kOversampling + kInterpolatorTaps / kOversampling) / 2;
  static constexpr int kLatencySamples = kDrySlots - 1;  // one write and one read per sample

  explicit Velto(PluginBinding::InstanceInfo info);

  void Reset() override;                   // [lock taken]
  void ParamChanged(int paramIdx) override;  // [lock taken]
  void OnPresetsChanged() override;        // [lock taken]
  void ProcessDouble(double** inputs, double** outputs, int frames) override;  // [audio thread, lock held]

  // Guards against hostile input and host set-ups (VeltoGuards.cpp).
  // Finite host samples beyond the input ceiling (+36 dBFS) are limited to
  // it before the chain; non-finite ones enter as silence. No sane state of
  // the chain sends anything beyond the output ceiling out: a block that
  // does has its filter memories cleared and fades in again from silence.
  static constexpr double kInputCeiling = 64.0;
  static constexpr double kOutputCeiling = 1024.0;
  // Rates the filters are designed for; at any other rate the input passes
  // through unprocessed (as late as the reported latency).
  static constexpr double kMinSampleRate = 8000.0;
  static constexpr double kMaxSampleRate = 768000.0;
  // A host sample as the chain takes it. Non-finite samples would stay in
  // every filter memory for good, absurdly large ones ring in the high-pass
  // for seconds. [audio thread]
  static double LimitInput(double x) {
    if (std::fabs(x) <= kInputCeiling) return x;
    return std::isfinite(x) ? std::copysign(kInputCeiling, x) : 0.0;
  }
  static bool RateSupported(double rate) { return rate >= kMinSampleRate && rate <= kMaxSampleRate; }
  bool Processing() const { return rateSupported_; }
  int Recoveries() const { return recoveries_; }  // blocks the output guard silenced

  // Control indices the editor layout records; -1 while there is no editor.
  struct EditorLinks {
    int inputMeter[2] = {-1, -1};
    int outputMeter[2] = {-1, -1};
    int barMeter[4] = {-1, -1, -1, -1};
    int rangeMeter[2] = {-1, -1};  // each reads a peak and an RMS value
    int vuLines[2] = {-1, -1};
    int outputReadout[2] = {-1, -1};  // the two ITextVU read-outs
    int inputLabel[2] = {-1, -1};     // "L"/"R" or "M"/"S"
    int statusText = -1;              // the preset button's status words
    int presetButton = -1;
  };

  // Level values for the meters, written by the audio thread once per block
  // and read by the editor's timer without a lock.
  struct MeterLevels {
    double in[2] = {};
    double out[2] = {};
    double bars[4] = {};
    double peak[2] = {};
    double rms[2] = {};
  };
  const MeterLevels& Levels() const { return levels_; }

  // Diagnostics for tests and tools.
  bool FadeActive() const { return fadeIn_; }
  int FadeCounter() const { return fadeCounter_; }
  double FadeTime() const { return fadeTime_; }
  const SaturationCore& Core() const { return core_; }
  // Band gains after the feedback pull: 0 low, 1 mid, 2 high.
  double BandGain(int band) const { return band == 0 ? bandLow_ : band == 1 ? bandMid_ : bandHigh_; }
  EditorLinks& Links() { return links_; }
  // 1 while the preset button loads a text from the clipboard. [ui thread writes, any thread reads]
  int PresetLoading() const { return presetLoading_.load(std::memory_order_relaxed); }

 private:
  // Filter groups: 0 low split, 2 high split, 3 high-pass, 4 all of them.
  void DesignFilters(int group);
  void DesignHighpass();
  void SetupOversampling();
  void UpdateBandGains();
  void ArmFade(double seconds);
  void ShowCrossoverControls(bool threeBand);
  // Builds the editor's 40 controls and attaches it (VeltoEditor.cpp). [construction]
  void BuildEditor();
  void HandOverMeters();
  double Highpass(int channel, double x);
  template <int N>
  void SplitBands(const Lanes2* u, Lanes2* c);
  void ProcessFrames(double** inputs, double** outputs, int frames);
#if defined(__x86_64__) && defined(__GNUC__)
#define VELTO_FRAMES_AVX2 1
  void ProcessFramesAvx2(double** inputs, double** outputs, int frames);
#endif
  void PassThroughUnprocessed(double** inputs, double** outputs, int frames);  // [audio thread]
  bool OutputSane(double** outputs, int frames) const;                          // [audio thread]
  void Recover(double** outputs, int frames);                                   // [audio thread]

  VeltoRandomSeed seed_;  // first member: seeds before the core is built

  // Derived values of the parameters.
  double inGain_ = 1.0, outGain_ = 1.0, driveGain_ = 1.0;
  double meterScale_ = -24.0;
  double mix_ = 1.0;
  double lowSplit_ = 175.0, highSplit_ = 4500.0, centerFreq_ = 1000.0, hpFreq_ = 2.0;
  double lowVol_ = 0.0, midVol_ = 0.0, highVol_ = 0.0;
  double bandLow_ = 0.0, bandMid_ = 0.0, bandHigh_ = 0.0;
  double feedback_ = 0.0;
  bool bypass_ = false, hpOn_ = true, threeBand_ = true;
  int hpQ_ = 1, rollOff_ = 0, eqMode_ = 0, hpMode_ = 0;
  int model_ = 17, modelCopy_ = 17;

  friend struct VeltoMemoryProbe;  // tests: puts a filter memory out of range
  bool rateSupported_ = true;
  int recoveries_ = 0;
  SaturationCore pristineCore_;  // the core as built, before any audio: every memory clear

  // Click suppression after switches.
  bool fadeIn_ = true;
  int fadeCounter_ = 0;
  double fadeTime_ = 0.1;

  // Processing members.
  OnePoleLowpass split_[8];  // 0/1 low split L/R, 2/3 mid band, 4/5 high split, 6/7 high-pass pre-stage
  BiquadSection hp_[4];      // stage 1 L, stage 1 R, stage 2 L, stage 2 R
  PolyphaseInterpolator interp_[2];
  PolyphaseDecimator decim_[2];
  DryDelayLine dry_[2];
  SaturationCore core_;

  EnvelopeFollower inFollow_[2], outFollow_[2], slowIn_[2], slowOut_[2], holdOut_[2];
  RmsFollower rms_[2];
  MeterLevels levels_;
  EditorLinks links_;
  // The scale range every meter reads, and the peak and RMS levels of the
  // two output channels the RMS-to-peak bands read when they paint: written
  // by the audio thread once per block, read by the editor's timer.
  const double rangeLow_ = 0.0;
  const double rangeHigh_ = 1.0;
  std::atomic<double> outPeak_[2] = {};
  std::atomic<double> outRms_[2] = {};
  std::atomic<int> presetLoading_{0};
};
