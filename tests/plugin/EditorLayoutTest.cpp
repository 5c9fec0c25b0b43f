// Velto's editor as built by its constructor: the controls in paint order
// with their places, kinds and parameters, the indices the plug-in keeps, and
// the editor reactions to parameter changes, presets and clicks.

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

#include "EditorCaches.h"
#include "IGraphicsHeadless.h"
#include "IKnobMultiControlText.h"
#include "IMeter.h"
#include "IPresetSaveButtonControl.h"
#include "VeltoImages.h"
#include "VeltoRig.h"

namespace {
IGraphicsHeadless& Gui(VeltoRig& rig) { return *dynamic_cast<IGraphicsHeadless*>(rig.fx->GetGUI()); }

struct Expected {
  const char* kind;
  Rect rect;
  int param;
};
// Index by index, from the editor's layout table.
const Expected kLayout[40] = {
    {"background", Rect(0, 0, 400, 524), -1},
    {"meter", Rect(288, 64, 310, 500), -1},
    {"meter", Rect(310, 64, 332, 500), -1},
    {"meter", Rect(337, 64, 363, 500), -1},
    {"meter", Rect(363, 64, 389, 500), -1},
    {"range", Rect(337, 64, 363, 500), -1},
    {"range", Rect(363, 64, 389, 500), -1},
    {"bar", Rect(288, 64, 310, 500), -1},
    {"bar", Rect(310, 64, 332, 500), -1},
    {"bar", Rect(337, 64, 363, 500), -1},
    {"bar", Rect(363, 64, 389, 500), -1},
    {"switch", Rect(35, 454, 53, 472), kBypass},
    {"switch", Rect(35, 316, 53, 334), kHPON},
    {"switch", Rect(35, 168, 53, 186), k3Band},
    {"switch", Rect(220, 313, 240, 333), kHPQ},
    {"switch", Rect(220, 365, 240, 385), kHPRollOff},
    {"switch", Rect(229, 169, 249, 189), kEQ_LRMS},
    {"switch", Rect(33, 365, 53, 385), kHP_LRMS},
    {"knob", Rect(107, 62, 171, 140), kDrive},
    {"knob", Rect(107, 316, 171, 394), kHPFreq},
    {"knob", Rect(78, 428, 110, 470), kMix},
    {"knob", Rect(36, 80, 68, 122), kInGain},
    {"knob", Rect(216, 80, 248, 122), kOutGain},
    {"knob", Rect(78, 164, 110, 206), kLowFreq},
    {"knob", Rect(172, 164, 204, 206), kHighFreq},
    {"knob", Rect(124, 164, 156, 206), kCenterFreq},
    {"knob", Rect(28, 228, 60, 270), kLowVol},
    {"knob", Rect(125, 228, 157, 270), kMidVol},
    {"knob", Rect(224, 228, 256, 270), kHighVol},
    {"knob", Rect(224, 448, 256, 490), kMeterScale},
    {"knob", Rect(170, 428, 202, 470), kFeedback},
    {"readout", Rect(336, 48, 362, 62), -1},
    {"readout", Rect(363, 48, 389, 62), -1},
    {"scale", Rect(288, 64, 332, 500), -1},
    {"scale", Rect(337, 64, 389, 500), -1},
    {"text", Rect(2, 24, 280, 40), -1},
    {"text", Rect(292, 500, 306, 524), -1},
    {"text", Rect(313, 500, 327, 524), -1},
    {"preset", Rect(1, 508, 16, 523), -1},
    {"url", Rect(2, 2, 96, 26), -1},
};

std::string KindOf(IControl* c) {
  if (dynamic_cast<IPresetSaveButtonControl*>(c)) return "preset";
  if (dynamic_cast<IMeterBar*>(c)) return "bar";
  if (dynamic_cast<IMeter*>(c)) return "meter";
  if (dynamic_cast<IMeterRange*>(c)) return "range";
  if (dynamic_cast<ISwitchControl*>(c)) return "switch";
  if (dynamic_cast<IBitmapControl*>(c)) return "background";
  if (dynamic_cast<IKnobMultiControlText*>(c)) return "knob";
  if (dynamic_cast<ITextVU*>(c)) return "readout";
  if (dynamic_cast<vuLines*>(c)) return "scale";
  if (dynamic_cast<ITextControl*>(c)) return "text";
  if (dynamic_cast<IURLControl*>(c)) return "url";
  return typeid(*c).name();
}

IControl* KnobOf(IGraphics& gui, int param) {
  for (int i = 0; i < gui.NumControls(); ++i)
    if (dynamic_cast<IKnobMultiControlText*>(gui.GetControl(i)) && gui.GetControl(i)->ParamIdx() == param)
      return gui.GetControl(i);
  return nullptr;
}

std::string Letters(VeltoRig& rig) {
  IGraphics& gui = Gui(rig);
  return dynamic_cast<ITextControl*>(gui.GetControl(36))->Text() +
         dynamic_cast<ITextControl*>(gui.GetControl(37))->Text();
}

bool ThreeBandKnobsShown(IGraphics& gui) {
  return !KnobOf(gui, kLowFreq)->IsHidden() && !KnobOf(gui, kHighFreq)->IsHidden() &&
         !KnobOf(gui, kMidVol)->IsHidden() && KnobOf(gui, kCenterFreq)->IsHidden();
}
bool TwoBandKnobsShown(IGraphics& gui) {
  return KnobOf(gui, kLowFreq)->IsHidden() && KnobOf(gui, kHighFreq)->IsHidden() &&
         KnobOf(gui, kMidVol)->IsHidden() && !KnobOf(gui, kCenterFreq)->IsHidden();
}

void Click(IGraphics& gui, int x, int y) {
  MouseMods left;
  left.left = true;
  gui.DispatchMouseDown(x, y, left);
  gui.DispatchMouseUp(x, y, left);
}

// Drags a knob by its image, dy pixels (negative: up, turning it higher).
void Drag(IGraphics& gui, IControl* knob, int dy) {
  MouseMods left;
  left.left = true;
  const int x = knob->Area().left + 16, y = knob->Area().top + 10;
  gui.DispatchMouseDown(x, y, left);
  gui.DispatchMouseDrag(x, y + dy, left);
  gui.DispatchMouseUp(x, y + dy, left);
}
}  // namespace

TEST(EditorLayout, FortyControlsInPaintOrderWithTheirPlacesAndParameters) {
  VeltoRig rig;
  IGraphicsHeadless& gui = Gui(rig);
  EXPECT_EQ(gui.Width(), 400);
  EXPECT_EQ(gui.Height(), 524);
  EXPECT_EQ(gui.FrameRate(), 30);
  ASSERT_EQ(gui.NumControls(), 40);
  for (int i = 0; i < 40; ++i) {
    IControl* c = gui.GetControl(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(KindOf(c), kLayout[i].kind);
    EXPECT_EQ(c->Area(), kLayout[i].rect);
    EXPECT_EQ(c->ParamIdx(), kLayout[i].param);
  }
  // Every image was found among the module's resources.
  for (const VeltoImageInfo& image : kVeltoImages) EXPECT_NE(StripCache::Instance().Find(image.id), nullptr);
  // Hosts are offered no editor window while no window layer exists.
  EXPECT_FALSE(gui.HasWindow());
}

TEST(EditorLayout, ThePlugInKeepsTheIndicesItFeeds) {
  VeltoRig rig;
  const Velto::EditorLinks& links = rig.fx->Links();
  EXPECT_EQ(links.inputMeter[0], 1);
  EXPECT_EQ(links.inputMeter[1], 2);
  EXPECT_EQ(links.outputMeter[0], 3);
  EXPECT_EQ(links.outputMeter[1], 4);
  EXPECT_EQ(links.rangeMeter[0], 5);
  EXPECT_EQ(links.rangeMeter[1], 6);
  for (int m = 0; m < 4; ++m) EXPECT_EQ(links.barMeter[m], 7 + m);
  EXPECT_EQ(links.outputReadout[0], 31);
  EXPECT_EQ(links.outputReadout[1], 32);
  EXPECT_EQ(links.vuLines[0], 33);
  EXPECT_EQ(links.vuLines[1], 34);
  EXPECT_EQ(links.statusText, 35);
  EXPECT_EQ(links.inputLabel[0], 36);
  EXPECT_EQ(links.inputLabel[1], 37);
  EXPECT_EQ(links.presetButton, 38);
}

TEST(EditorLayout, StartsInThreeBandModeAndPresetRecallsSwapTheKnobs) {
  VeltoRig rig;
  IGraphicsHeadless& gui = Gui(rig);
  EXPECT_TRUE(ThreeBandKnobsShown(gui));
  EXPECT_EQ(Letters(rig), "LR");
  EXPECT_EQ(dynamic_cast<ITextControl*>(gui.GetControl(35))->Text(), "");
  // The knobs show the parameters' values from the start.
  EXPECT_NEAR(KnobOf(gui, kMix)->Value(), 1.0, 1e-12);

  ASSERT_TRUE(rig.fx->LoadPreset(4));  // "Bright Tilt": two bands
  EXPECT_TRUE(TwoBandKnobsShown(gui));
  ASSERT_TRUE(rig.fx->LoadPreset(0));
  EXPECT_TRUE(ThreeBandKnobsShown(gui));

  // A click on the 3-band lamp does the same.
  Click(gui, 40, 172);
  EXPECT_EQ(rig.fx->GetParam(k3Band)->Value(), 0.0);
  EXPECT_TRUE(TwoBandKnobsShown(gui));
}

TEST(EditorLayout, ChannelLettersFollowTheToneStageModeAfterClicksAndRecalls) {
  VeltoRig rig;
  IGraphicsHeadless& gui = Gui(rig);
  Click(gui, 235, 175);  // L/R -> M
  EXPECT_EQ(rig.fx->GetParam(kEQ_LRMS)->Value(), 1.0);
  EXPECT_EQ(Letters(rig), "MS");
  Click(gui, 235, 175);  // M -> S
  EXPECT_EQ(rig.fx->GetParam(kEQ_LRMS)->Value(), 2.0);
  EXPECT_EQ(Letters(rig), "MS");
  Click(gui, 235, 175);  // back to L/R
  EXPECT_EQ(Letters(rig), "LR");

  ASSERT_TRUE(rig.fx->LoadPreset(2));  // "Stereo Wide": side
  EXPECT_EQ(Letters(rig), "MS");
  ASSERT_TRUE(rig.fx->LoadPreset(5));  // "Low Tilt": left/right
  EXPECT_EQ(Letters(rig), "LR");
  StateChunk state;
  rig.fx->LoadPreset(3);  // "Mid Channel Warmth": mid
  ASSERT_TRUE(rig.fx->SerializeParams(state));
  rig.fx->LoadPreset(0);
  EXPECT_EQ(Letters(rig), "LR");
  EXPECT_GT(rig.fx->UnserializeParams(state, 0), 0);
  EXPECT_EQ(Letters(rig), "MS");
}

TEST(EditorLayout, EachCrossoverKnobStopsAtTheOthersFrequency) {
  VeltoRig rig;
  IGraphicsHeadless& gui = Gui(rig);
  rig.Set(kHighFreq, 1500.0);
  Drag(gui, KnobOf(gui, kLowFreq), -2000);
  EXPECT_NEAR(rig.fx->GetParam(kLowFreq)->Value(), 1500.0, 1.0);

  rig.Set(kHighFreq, 8000.0);
  rig.Set(kLowFreq, 2000.0);
  Drag(gui, KnobOf(gui, kHighFreq), 2000);
  EXPECT_NEAR(rig.fx->GetParam(kHighFreq)->Value(), 2000.0, 1.0);
  // Away from the partner the knobs reach their own ends.
  Drag(gui, KnobOf(gui, kLowFreq), 2000);
  EXPECT_EQ(rig.fx->GetParam(kLowFreq)->Value(), 20.0);
  Drag(gui, KnobOf(gui, kHighFreq), -4000);
  EXPECT_EQ(rig.fx->GetParam(kHighFreq)->Value(), rig.fx->GetParam(kHighFreq)->Max());
}

TEST(EditorLayout, MeterScaleSetsTheFloorOfEveryMeterAndScale) {
  VeltoRig rig;
  IGraphicsHeadless& gui = Gui(rig);
  const std::vector<double> loud = Sine(1000.0, 44100.0, 8192, 0.5);  // about -6 dB
  rig.Run(loud, loud);
  int top = 0, bottom = 0;
  auto* range = dynamic_cast<IMeterRange*>(gui.GetControl(5));
  range->BandRows(&top, &bottom);
  EXPECT_LT(top, 500 - 100);  // -6 dB is high on a -24 dB scale

  rig.Set(kMeterScale, -3.0);
  for (int i : {1, 2, 3, 4, 7, 8, 9, 10}) EXPECT_EQ(dynamic_cast<IMeter*>(gui.GetControl(i))->FloorDb(), -3.0) << i;
  range->BandRows(&top, &bottom);
  EXPECT_GE(top, 494);  // at -3 dB a -6 dB level shows nothing
  gui.Tick();
  for (int s : {33, 34}) EXPECT_EQ(dynamic_cast<vuLines*>(gui.GetControl(s))->VisibleMarks(), (std::vector<int>{0, 1}));

  rig.Set(kMeterScale, -96.0);
  for (int i : {1, 2, 3, 4, 7, 8, 9, 10}) EXPECT_EQ(dynamic_cast<IMeter*>(gui.GetControl(i))->FloorDb(), -96.0) << i;
}

TEST(EditorLayout, MetersAndReadoutsGetTheLevelsOfEveryBlock) {
  VeltoRig rig;
  IGraphicsHeadless& gui = Gui(rig);
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(gui.GetControl(i)->Value(), 0.0);
  const std::vector<double> tone = Sine(440.0, 44100.0, 4096, 0.5);
  const std::vector<double> silence(4096, 0.0);
  rig.Run(tone, silence);
  EXPECT_NEAR(gui.GetControl(1)->Value(), rig.fx->Levels().in[0], 1e-12);
  EXPECT_GT(gui.GetControl(1)->Value(), 0.3);
  EXPECT_EQ(gui.GetControl(2)->Value(), 0.0);  // the silent input channel
  EXPECT_NEAR(gui.GetControl(3)->Value(), rig.fx->Levels().out[0], 1e-12);
  EXPECT_NEAR(gui.GetControl(9)->Value(), rig.fx->Levels().bars[2], 1e-12);
  EXPECT_GT(dynamic_cast<ITextVU*>(gui.GetControl(31))->HeldLevel(), 0.3);
}
