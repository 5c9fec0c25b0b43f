#pragma once
// Preset text lines as the preset button writes them and reads them back
// from the clipboard: "Bright Tilt", the fifth factory preset.

inline const char* const kBrightTiltLine =
    "  MakePresetFromNamedParams(\"\",20,  kInGain, 0.000000,  kOutGain, -1.571429,  kDrive, 10.673077,  "
    "kLowFreq, 175.000000,  kHighFreq, 2100.717827,  kLowVol, -1.290000,  kMidVol, 0.000000,  kHighVol, 2.571429,  "
    "kHPON, false,  kHPFreq, 50.000000,  kCenterFreq, 3381.276953,  k3Band, false,  kHPQ, 0,  kHPRollOff, 3,  "
    "kBypass, false,  kMix, 100.000000,  kMeterScale, -13.972783,  kFeedback, 0.000000,  kEQ_LRMS, 0,  "
    "kHP_LRMS, 2);\n";
