// Velto's editor: the background and 39 controls in paint order, their
// places, images, looks and parameters, and the indices the plug-in keeps to
// feed meters, read-outs and labels.

#include "EditorWindowLayer.h"
#include "IKnobMultiControlText.h"
#include "IMeter.h"
#include "IPresetSaveButtonControl.h"
#include "Velto.h"
#include "VeltoImages.h"

namespace {
const Colour kWhite(255, 255, 255, 255);
const Colour kBlack(255, 0, 0, 0);
const Colour kClear(0, 0, 0, 0);
const Colour kLevelColumn(133, 158, 110, 32);
const Colour kPeakLine(255, 158, 110, 32);
const Colour kRmsToPeak(173, 168, 120, 42);
constexpr double kFloorDb = -24.0;

// The dB marks of both scales, top to bottom.
const double kScaleMarksDb[vuLines::kMarkCount] = {-1,  -2,  -3,  -4,  -5,  -6,  -7,  -8,  -9,
                                                   -10, -12, -14, -16, -18, -20, -24, -28, -32,
                                                   -36, -44, -52, -60, -68, -78, -92};

TextStyle Style(int size, const Colour& colour, int align, int quality) {
  return TextStyle(size, colour, "Ubuntu", kStyleNormal, align, 0, quality);
}

FrameStrip Strip(IGraphics& gui, int id) {
  const VeltoImageInfo* info = FindVeltoImage(id);
  return gui.LoadStrip(id, info->name, info->frames);
}

// The meter columns: input 1, input 2, output left, output right.
const Rect kMeterRects[4] = {Rect(288, 64, 310, 500), Rect(310, 64, 332, 500), Rect(337, 64, 363, 500),
                             Rect(363, 64, 389, 500)};

struct SwitchPlace {
  int param, x, y, image;
};
const SwitchPlace kSwitches[7] = {
    {kBypass, 35, 454, kImgLamp},           {kHPON, 35, 316, kImgLamp},
    {k3Band, 35, 168, kImgLamp},            {kHPQ, 220, 313, kImgResponseSwitch},
    {kHPRollOff, 220, 365, kImgSlopeSwitch}, {kEQ_LRMS, 229, 169, kImgChannelSwitch},
    {kHP_LRMS, 33, 365, kImgChannelSwitch},
};

struct KnobPlace {
  int param;
  Rect rect;
};
// The two large knobs first, then the small ones.
const KnobPlace kKnobs[13] = {
    {kDrive, Rect(107, 62, 171, 140)},      {kHPFreq, Rect(107, 316, 171, 394)},
    {kMix, Rect(78, 428, 110, 470)},        {kInGain, Rect(36, 80, 68, 122)},
    {kOutGain, Rect(216, 80, 248, 122)},    {kLowFreq, Rect(78, 164, 110, 206)},
    {kHighFreq, Rect(172, 164, 204, 206)},  {kCenterFreq, Rect(124, 164, 156, 206)},
    {kLowVol, Rect(28, 228, 60, 270)},      {kMidVol, Rect(125, 228, 157, 270)},
    {kHighVol, Rect(224, 228, 256, 270)},   {kMeterScale, Rect(224, 448, 256, 490)},
    {kFeedback, Rect(170, 428, 202, 470)},
};
}  // namespace

void Velto::BuildEditor() {
  IGraphics* gui = CreateEditorWindowLayer(this, 400, 524, 30);

  const TextStyle largeKnobText = Style(16, kWhite, kAlignCentre, kQualityClearType);
  const TextStyle smallKnobText = Style(15, kWhite, kAlignCentre, kQualityClearType);
  const TextStyle readoutText = Style(14, kWhite, kAlignCentre, kQualityClearType);
  const TextStyle scaleText = Style(14, kBlack, kAlignCentre, kQualityClearType);
  const TextStyle statusText = Style(16, kWhite, kAlignLeft, kQualityClearType);
  const TextStyle channelText = Style(20, kWhite, kAlignCentre, kQualityDefault);

  gui->AddBackground(kImgBackground, FindVeltoImage(kImgBackground)->name);

  // Level columns, then the RMS-to-peak bands and the peak lines over them.
  IMeter* columns[4];
  for (int m = 0; m < 4; ++m) {
    columns[m] = new IMeter(this, kMeterRects[m], kLevelColumn, &rangeLow_, &rangeHigh_);
    columns[m]->SetMeterFloor(kFloorDb);
    const int idx = gui->AddControl(columns[m]);
    if (m < 2) links_.inputMeter[m] = idx;
    else links_.outputMeter[m - 2] = idx;
  }
  for (int c = 0; c < 2; ++c)
    links_.rangeMeter[c] = gui->AddControl(new IMeterRange(this, kMeterRects[2 + c], kRmsToPeak, &outPeak_[c],
                                                           &outRms_[c], &rangeLow_, &rangeHigh_, kFloorDb));
  for (int m = 0; m < 4; ++m) {
    auto* bar = new IMeterBar(this, kMeterRects[m], kPeakLine, &rangeLow_, &rangeHigh_);
    bar->SetMeterFloor(kFloorDb);
    links_.barMeter[m] = gui->AddControl(bar);
  }

  for (const SwitchPlace& s : kSwitches)
    gui->AddControl(new ISwitchControl(this, s.x, s.y, s.param, Strip(*gui, s.image)));

  for (int k = 0; k < 13; ++k) {
    const bool large = k < 2;
    gui->AddControl(new IKnobMultiControlText(this, kKnobs[k].rect, kKnobs[k].param,
                                              Strip(*gui, large ? kImgKnobLarge : kImgKnobSmall),
                                              large ? largeKnobText : smallKnobText));
  }

  links_.outputReadout[0] = gui->AddControl(new ITextVU(this, Rect(336, 48, 362, 62), readoutText, kClear, 10.0));
  links_.outputReadout[1] = gui->AddControl(new ITextVU(this, Rect(363, 48, 389, 62), readoutText, kClear, 10.0));

  const Rect scaleRects[2] = {Rect(288, 64, 332, 500), Rect(337, 64, 389, 500)};
  vuLines* scales[2];
  for (int s = 0; s < 2; ++s) {
    scales[s] = new vuLines(this, scaleRects[s], kBlack, scaleText, &rangeLow_, &rangeHigh_, kScaleMarksDb);
    scales[s]->SetMeterFloor(kFloorDb);
    links_.vuLines[s] = gui->AddControl(scales[s]);
  }
  for (vuLines* scale : scales) scale->SetTickFraction(0.4);

  auto* status = new ITextControl(this, Rect(2, 24, 280, 40), statusText, "");
  links_.statusText = gui->AddControl(status);
  links_.inputLabel[0] = gui->AddControl(new ITextControl(this, Rect(292, 500, 306, 524), channelText, "L"));
  links_.inputLabel[1] = gui->AddControl(new ITextControl(this, Rect(313, 500, 327, 524), channelText, "R"));

  links_.presetButton = gui->AddControl(
      new IPresetSaveButtonControl(this, Rect(1, 508, 16, 523), kClear, kVeltoParamNames, status, &presetLoading_));
  gui->AddControl(new IURLControl(this, Rect(2, 2, 96, 26)));

  AttachEditor(gui);
}
