#pragma once
// Where a person finds things in Velto's editor, what they are worth, and
// the shared steps of the window tests.

#include <string>
#include <vector>

#include "HostWindow.h"

namespace places {
// Parameter indices as hosts address them.
constexpr int kInGain = 0, kOutGain = 1, kDrive = 2, kLowFreq = 3, kHighFreq = 4, kHPON = 8, kHPQ = 12,
              kHPRollOff = 13, kBypass = 14, kMix = 15;

// Points inside controls (editor pixels).
constexpr int kDriveX = 139, kDriveY = 90;           // the Drive knob's image
constexpr int kInGainX = 52, kInGainY = 90;          // In Gain image
constexpr int kInGainTextX = 52, kInGainTextY = 115; // In Gain value text
constexpr int kOutGainTextX = 232, kOutGainTextY = 115;
constexpr int kMixTextX = 94, kMixTextY = 463;
constexpr int kLowFreqTextX = 94, kLowFreqTextY = 199;
constexpr int kBypassX = 40, kBypassY = 459;
constexpr int kHPONX = 40, kHPONY = 321;
constexpr int kHPQX = 226, kHPQY = 318;
constexpr int kPresetX = 8, kPresetY = 515;
constexpr int kEmptyX = 270, kEmptyY = 300;  // background only

// A drag of one pixel on the large knob moves it by 1/312 of its range.
constexpr double kLargeKnobPixel = 1.0 / 312.0;
}  // namespace places

// Every text the editor draws, as generous boxes: the value texts reach past
// their knobs, the scale labels run down the middle of both meters.
std::vector<PixelRect> VeltoTextRegions();

// The chord of the golden pictures: a second at 44.1 kHz, a chord on the
// left and a quieter fifth on the right, as 512-frame blocks.
struct TestChord {
  TestChord();
  std::vector<double> left, right;
};

// Clicks a knob's value text and types into the entry that opens; returns
// the entry, or null when none opened.
HWND OpenEntryAndType(HWND editor, int x, int y, const char* typed);

// A path of the build machine as the test program sees it under Wine.
std::string WinePath(const std::string& unixPath);

// Captures the editor, writes the capture beside the test program as
// <name>.png and compares it with the default golden picture.
void CheckAgainstDefaultGolden(HWND editor, const std::string& name);
