// Velto's parameter table, factory presets and construction.

#include <cstdlib>

#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)
#include <x86intrin.h>
#define VELTO_HAVE_TSC 1
#else
#include <chrono>
#endif

#include "Velto.h"

const char* const kVeltoParamNames[kNumParams] = {
    "kInGain",    "kOutGain",    "kDrive",  "kLowFreq",    "kHighFreq", "kLowVol",   "kMidVol",
    "kHighVol",   "kHPON",       "kHPFreq", "kCenterFreq", "k3Band",    "kHPQ",      "kHPRollOff",
    "kBypass",    "kMix",        "kMeterScale", "kFeedback", "kEQ_LRMS", "kHP_LRMS", "kModel",
};

namespace {
// 0 means: seed from the time-stamp counter. Written only under the module's
// creation lock (or by single-threaded tools before any instance exists).
unsigned gFixedSeed = 0;
bool gUseFixedSeed = false;

unsigned TimeStampSeed() {
#if defined(VELTO_HAVE_TSC)
  return static_cast<unsigned>(__rdtsc());
#else
  return static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}
}  // namespace

VeltoRandomSeed::VeltoRandomSeed() { std::srand(gUseFixedSeed ? gFixedSeed : TimeStampSeed()); }

void VeltoRandomSeed::UseFixedSeed(unsigned seed) {
  gFixedSeed = seed;
  gUseFixedSeed = true;
}

void VeltoRandomSeed::UseTimeStampCounter() { gUseFixedSeed = false; }

Velto::Velto(PluginBinding::InstanceInfo info)
    : PluginBinding(info, kNumParams, "1-1 2-2", 20, "Velto", "", "OXB-Audio", 0x00010000,
                    0x61583474 /* 'aX4t' */, 0x4F584261 /* 'OXBa' */, kLatencySamples) {
  // The core starts without its pre/post stage and with hiss on.
  core_.SetPrePostAmount(0.0);
  core_.EnableQuantiserAndHiss(true);
  pristineCore_ = core_;  // what the output guard starts the core again from

  // The model selector stays out of state and presets; one more parameter
  // object follows the declared ones.
  SetStoredParamCount(20);
  AppendParam();

  GetParam(kInGain)->DefineDouble("In Gain", 0.0, -12.0, 12.0, 0.01, "dB");
  GetParam(kOutGain)->DefineDouble("Out Gain", 0.0, -12.0, 12.0, 0.01, "dB");
  GetParam(kDrive)->DefineDouble("Drive Gain", 0.0, -10.0, 15.0, 0.01, "dB");
  GetParam(kMeterScale)->DefineDouble("dB Scale", -24.0, -96.0, -3.0, 1.0, "dB");
  GetParam(kMeterScale)->SetShape(0.5);
  GetParam(kMix)->DefineDouble("Mix", 100.0, 0.0, 100.0, 1.0, "%");
  GetParam(kLowFreq)->DefineDouble("Low Freq", 175.0, 20.0, 2500.0, 1.0, "Hz");
  GetParam(kLowFreq)->SetShape(2.0);
  GetParam(kHighFreq)->DefineDouble("High Freq", 4500.0, 1000.0, 22050.0, 1.0, "Hz");
  GetParam(kHighFreq)->SetShape(2.0);
  GetParam(kCenterFreq)->DefineDouble("Center Freq", 1000.0, 100.0, 13230.0, 1.0, "Hz");
  GetParam(kCenterFreq)->SetShape(2.0);
  GetParam(k3Band)->DefineBool("3 Band Mode", true);
  GetParam(kLowVol)->DefineDouble("Low Volume", 0.0, -12.0, 12.0, 0.01, "dB");
  GetParam(kMidVol)->DefineDouble("Mid Volume", 0.0, -12.0, 12.0, 0.01, "dB");
  GetParam(kHighVol)->DefineDouble("High Volume", 0.0, -12.0, 12.0, 0.01, "dB");
  GetParam(kHPFreq)->DefineDouble("HP Freq", 20.0, 10.0, 50.0, 0.01, "Hz");
  GetParam(kHPFreq)->SetShape(2.0);
  GetParam(kHPQ)->DefineInt("HP Q", 1, 0, 2);
  GetParam(kHPRollOff)->DefineInt("HP Roll-off", 2, 2, 4);
  GetParam(kBypass)->DefineBool("Bypass", false);
  GetParam(kHPON)->DefineBool("HP Bypass", true);  // 1 means the high-pass runs
  GetParam(kFeedback)->DefineDouble("Feedback", 0.0, 0.0, 50.0, 0.1, "%");
  GetParam(kFeedback)->SetShape(2.0);
  GetParam(kEQ_LRMS)->DefineInt("EQ Channel Select", 0, 0, 2);
  GetParam(kHP_LRMS)->DefineInt("HP Channel Select", 0, 0, 2);
  GetParam(kModel)->DefineInt("Velto", 17, 17, 17);

  // Slot 0 holds the defaults; slots 1 to 6 the factory presets, every value
  // in the parameter's own unit (switches and choices as integers).
  MakePresetFromCurrentValues("-", 1);
  MakePresetFromNamedParams("Gentle Loudness", 20, kInGain, 0.0, kOutGain, -1.285714, kDrive,
                            6.089744, kLowFreq, 153.647959, kHighFreq, 5954.428975, kLowVol,
                            1.142857, kMidVol, -2.0, kHighVol, 2.142857, kHPON, 1, kHPFreq,
                            24.990549, kCenterFreq, 1000.0, k3Band, 1, kHPQ, 1, kHPRollOff, 4,
                            kBypass, 0, kMix, 100.0, kMeterScale, -11.195498, kFeedback, 50.0,
                            kEQ_LRMS, 0, kHP_LRMS, 0);
  MakePresetFromNamedParams("Stereo Wide", 20, kInGain, 0.0, kOutGain, -0.571429, kDrive,
                            11.458333, kLowFreq, 175.0, kHighFreq, 5139.950507, kLowVol,
                            -3.285714, kMidVol, 1.857143, kHighVol, 5.857143, kHPON, 1, kHPFreq,
                            36.719675, kCenterFreq, 1664.111616, k3Band, 1, kHPQ, 0, kHPRollOff, 3,
                            kBypass, 0, kMix, 67.261905, kMeterScale, -11.195498, kFeedback, 0.0,
                            kEQ_LRMS, 2, kHP_LRMS, 2);
  MakePresetFromNamedParams("Mid Channel Warmth", 20, kInGain, 0.0, kOutGain, -1.285714, kDrive,
                            15.0, kLowFreq, 115.688776, kHighFreq, 4500.0, kLowVol, 2.428571,
                            kMidVol, -1.0, kHighVol, -2.428571, kHPON, 1, kHPFreq, 23.461949,
                            kCenterFreq, 1000.0, k3Band, 1, kHPQ, 2, kHPRollOff, 4, kBypass, 0,
                            kMix, 67.857143, kMeterScale, -24.0, kFeedback, 9.964923, kEQ_LRMS, 1,
                            kHP_LRMS, 1);
  MakePresetFromNamedParams("Bright Tilt", 20, kInGain, 0.0, kOutGain, -1.571429, kDrive,
                            10.673077, kLowFreq, 175.0, kHighFreq, 2100.717827, kLowVol, -1.29,
                            kMidVol, 0.0, kHighVol, 2.571429, kHPON, 0, kHPFreq, 50.0, kCenterFreq,
                            3381.276953, k3Band, 0, kHPQ, 0, kHPRollOff, 3, kBypass, 0, kMix,
                            100.0, kMeterScale, -13.972783, kFeedback, 0.0, kEQ_LRMS, 0, kHP_LRMS,
                            2);
  MakePresetFromNamedParams("Low Tilt", 20, kInGain, 0.0, kOutGain, -0.571429, kDrive, 10.673077,
                            kLowFreq, 175.0, kHighFreq, 6580.717827, kLowVol, 2.005714, kMidVol,
                            0.0, kHighVol, -2.57143, kHPON, 1, kHPFreq, 20.52334, kCenterFreq,
                            5524.600947, k3Band, 1, kHPQ, 0, kHPRollOff, 3, kBypass, 0, kMix, 63.0,
                            kMeterScale, -13.972783, kFeedback, 0.0, kEQ_LRMS, 0, kHP_LRMS, 0);
  MakePresetFromNamedParams("Presence", 20, kInGain, 0.0, kOutGain, 0.714286, kDrive, 6.0,
                            kLowFreq, 1000.0, kHighFreq, 3750.0, kLowVol, -1.142857, kMidVol, 1.0,
                            kHighVol, -1.714286, kHPON, 1, kHPFreq, 16.944444, kCenterFreq, 1000.0,
                            k3Band, 1, kHPQ, 1, kHPRollOff, 4, kBypass, 0, kMix, 100.0,
                            kMeterScale, -24.0, kFeedback, 0.0, kEQ_LRMS, 0, kHP_LRMS, 0);

  GetParam(kModel)->SetValue(17.0);
  BuildEditor();
  // The editor starts in 3-band mode, as the default k3Band.
  ShowCrossoverControls(true);
}
