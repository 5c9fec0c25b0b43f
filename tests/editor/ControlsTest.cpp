// Switch cycling, knob gearing and limits, the compare toggle, the wheel and
// the text and web-address controls.

#include <cmath>

#include "EditorRig.h"
#include "IKnobMultiControlText.h"
#include "EditorCheck.h"

using namespace rig;

namespace {
MouseMods With(bool left, bool right, bool shift, bool control, bool alt) {
  MouseMods m;
  m.left = left;
  m.right = right;
  m.shift = shift;
  m.control = control;
  m.alt = alt;
  return m;
}

// A 78-pixel knob: area 20 wide (the strip) and 78 high, the text in its bottom 12 pixels.
struct KnobRig {
  Rig r{80, 100};
  IKnobMultiControlText* knob = nullptr;
  explicit KnobRig(int param = kGain) {
    knob = new IKnobMultiControlText(&r.plugin, Rect(0, 0, 20, 78), param,
                                     r.gui->LoadStrip(kKnobId, "knob.png", kKnobFrames), TextStyle());
    r.gui->AddControl(knob);
    r.Attach();
    r.plugin.hostCalls.clear();
  }
  // Presses on the knob's image and moves dy pixels down.
  void Drag(int dy, const MouseMods& mods) {
    r.gui->DispatchMouseDown(5, 5, mods);
    r.gui->DispatchMouseDrag(5, 5 + dy, mods);
    r.gui->DispatchMouseUp(5, 5 + dy, mods);
  }
};
}  // namespace

MODULE_TEST(Switch, TwoStatesReturnToZeroAndThreeStatesVisitHalfAndWrap) {
  Rig r;
  auto* two = new ISwitchControl(&r.plugin, 0, 0, kMode, r.gui->LoadStrip(kSwitchId, "switch.png", 2));
  auto* three = new ISwitchControl(&r.plugin, 20, 0, kChoice, r.gui->LoadStrip(kSwitchId, "switch.png", 3));
  r.gui->AddControl(two);
  r.gui->AddControl(three);
  r.Attach();
  CHECK_TRUE(two->Area() == Rect(0, 0, 16, 18));
  CHECK_TRUE(three->Area() == Rect(20, 0, 36, 12));
  r.gui->DispatchMouseDown(1, 1, Left());
  CHECK_NEAR(two->Value(), 1.0, 0.0);
  r.gui->DispatchMouseDown(1, 1, Left());
  CHECK_NEAR(two->Value(), 0.0, 0.0);
  std::vector<double> seen;
  for (int i = 0; i < 4; ++i) {
    r.gui->DispatchMouseDown(21, 1, Left());
    r.gui->DispatchMouseUp(21, 1, Left());
    seen.push_back(three->Value());
  }
  CHECK_EQ(seen, (std::vector<double>{1.0, 0.0, 0.5, 1.0}));  // started at 0.5 (Choice = 1)
  // A double click advances once more; each step reaches the parameter.
  r.gui->DispatchDoubleClick(21, 1, Left());
  CHECK_NEAR(three->Value(), 0.0, 0.0);
  CHECK_NEAR(r.plugin.GetParam(kChoice)->Value(), 0.0, 0.0);
  // Frames follow the value: 3 frames at 0, 0.5, 1.
  CHECK_EQ(IBitmapControl::FrameFor(0.0, 3), 1);
  CHECK_EQ(IBitmapControl::FrameFor(0.5, 3), 2);
  CHECK_EQ(IBitmapControl::FrameFor(1.0, 3), 3);
  CHECK_EQ(IBitmapControl::FrameFor(0.24, 3), 1);
  CHECK_EQ(IBitmapControl::FrameFor(7.0, 3), 3);
  CHECK_EQ(IBitmapControl::FrameFor(-3.0, 3), 1);
  CHECK_EQ(IBitmapControl::FrameFor(std::nan(""), 3), 1);
  CHECK_EQ(IBitmapControl::FrameFor(0.7, 1), 1);
}

MODULE_TEST(Knob, AFullSweepTakes312PixelsOfA78PixelKnobTenAndAHundredTimesMoreWithAltAndShift) {
  KnobRig k;
  k.knob->ReceiveValue(0.0);  // the first value is the default
  k.Drag(-156, Left());
  CHECK_NEAR(k.knob->Value(), 0.5, 1e-12);
  CHECK_NEAR(k.r.plugin.GetParam(kGain)->Value(), 0.0, 1e-9);
  CHECK_EQ(k.r.plugin.hostCalls.front(), std::string("begin 0"));
  CHECK_EQ(k.r.plugin.hostCalls.back(), std::string("end 0"));
  k.Drag(3120, With(true, false, false, false, true));  // alt: 3120 px per sweep
  CHECK_NEAR(k.knob->Value(), 0.0, 1e-12);
  k.Drag(312, With(true, false, true, false, false));  // shift: 31200 px per sweep
  CHECK_NEAR(k.knob->Value(), 0.0, 1e-12);              // still at the bottom limit
  k.Drag(-312, With(true, false, true, false, false));
  CHECK_NEAR(k.knob->Value(), 0.01, 1e-12);
  // Beyond either end the knob stays at the limit, and the clamp range can lie inside 0..1.
  k.Drag(-400, Left());
  CHECK_NEAR(k.knob->Value(), 1.0, 0.0);
  k.r.gui->ClampParameterControls(kGain, -6.0, 6.0);
  k.Drag(400, Left());
  CHECK_NEAR(k.knob->Value(), 0.25, 1e-12);
  CHECK_NEAR(k.r.plugin.GetParam(kGain)->Value(), -6.0, 1e-9);
  k.Drag(-400, Left());
  CHECK_NEAR(k.knob->Value(), 0.75, 1e-12);
}

MODULE_TEST(Knob, CompareStoresOnRightClickAndToggleJumpsBetweenStoredAndPrevious) {
  KnobRig k;
  k.knob->ReceiveValue(0.5);
  CHECK_NEAR(k.knob->Stored(), 0.5, 0.0);  // the parameter default, normalised
  k.Drag(-78, Left());            // 0.75
  k.r.gui->DispatchMouseDown(5, 5, Right());  // store 0.75
  CHECK_NEAR(k.knob->Stored(), 0.75, 1e-12);
  k.Drag(156, Left());  // 0.25
  const MouseMods ctrl = With(true, false, false, true, false);
  k.r.gui->DispatchMouseDown(5, 5, ctrl);
  CHECK_NEAR(k.knob->Value(), 0.75, 1e-12);  // back to the stored setting
  k.r.gui->DispatchMouseDown(5, 5, ctrl);
  CHECK_NEAR(k.knob->Value(), 0.25, 1e-12);  // and to the setting before
  k.r.gui->DispatchDoubleClick(5, 5, Left());
  CHECK_NEAR(k.knob->Value(), 0.75, 1e-12);
  CHECK_NEAR(k.r.plugin.GetParam(kGain)->Value(), 6.0, 1e-9);
  // Shift + right click: the value the editor first received, everywhere.
  k.r.gui->DispatchMouseDown(5, 5, With(false, true, true, false, false));
  CHECK_NEAR(k.knob->Value(), 0.5, 0.0);
  CHECK_NEAR(k.knob->Stored(), 0.5, 0.0);
  CHECK_NEAR(k.knob->Previous(), 0.5, 0.0);
  CHECK_NEAR(k.knob->LastSet(), 0.5, 0.0);
}

MODULE_TEST(Knob, TheWheelStepsByModifierButNotOverTheValueText) {
  KnobRig k;
  k.knob->ReceiveValue(0.5);
  CHECK_TRUE(k.knob->TextArea() == Rect(0, 66, 20, 78));
  CHECK_TRUE(k.knob->ImageArea() == Rect(0, 0, 20, 20));
  k.knob->MouseWheel(5, 5, MouseMods(), 2);
  CHECK_NEAR(k.knob->Value(), 0.54, 1e-12);
  k.knob->MouseWheel(5, 5, With(false, false, false, false, true), -1);
  CHECK_NEAR(k.knob->Value(), 0.534, 1e-12);
  k.knob->MouseWheel(5, 5, With(false, false, true, false, false), -4);
  CHECK_NEAR(k.knob->Value(), 0.530, 1e-12);
  k.knob->MouseWheel(5, 70, MouseMods(), 5);
  CHECK_NEAR(k.knob->Value(), 0.530, 1e-12);
  k.knob->MouseWheel(5, 5, MouseMods(), 100);
  CHECK_NEAR(k.knob->Value(), 1.0, 0.0);
}

MODULE_TEST(Knob, AClickOnTheTextOpensTheEntryAndAValueFromTheHostIsReportedOnItsFirstPaint) {
  KnobRig k;
  k.r.gui->DispatchMouseDown(5, 70, Left());
  REQUIRE_TRUE(k.r.gui->textEntries.size() == 1u);
  CHECK_TRUE(k.r.gui->textEntries[0].rect == Rect(0, 66, 20, 78));
  CHECK_EQ(k.r.gui->textEntries[0].text, std::string("0.00"));
  k.r.gui->CancelTextEntry();
  k.r.gui->DispatchDoubleClick(5, 70, Left());
  CHECK_EQ(k.r.gui->textEntries.size(), 2u);
  CHECK_TRUE(k.r.gui->CommitTextEntry("-6"));
  CHECK_NEAR(k.r.plugin.GetParam(kGain)->Value(), -6.0, 1e-9);
  CHECK_NEAR(k.knob->Value(), 0.25, 1e-12);
  k.r.plugin.hostCalls.clear();
  k.r.gui->ShowParameterValue(kGain, 0.25, true);
  k.r.gui->Tick();
  CHECK_EQ(k.r.plugin.hostCalls, std::vector<std::string>{"automate 0 0.250000"});
  k.r.gui->Tick();
  CHECK_EQ(k.r.plugin.hostCalls.size(), 1u);
}

MODULE_TEST(Text, ShowTextFlagsOnlyAChangeAndTheUrlFallsBackWhenTheFirstFails) {
  Rig r;
  auto* text = new ITextControl(&r.plugin, Rect(0, 0, 30, 12), TextStyle(), "L");
  auto* url = new IURLControl(&r.plugin, Rect(30, 0, 60, 20), "https://first.invalid/", "https://second.invalid/");
  r.gui->AddControl(text);
  r.gui->AddControl(url);
  r.Attach();
  r.gui->Tick();
  r.gui->SetControlText(0, "L");
  CHECK_FALSE(text->NeedsRedraw());
  r.gui->SetControlText(0, "M");
  CHECK_TRUE(text->NeedsRedraw());
  CHECK_EQ(text->Text(), std::string("M"));
  const std::string longText(500, 'x');
  text->ShowText(longText.c_str());
  CHECK_EQ(text->Text().size(), static_cast<size_t>(ITextControl::kMaxText));
  r.gui->openUrlSucceeds = false;
  r.gui->DispatchMouseDown(40, 5, Left());
  REQUIRE_TRUE(r.gui->urls.size() == 2u);
  CHECK_EQ(r.gui->urls[0].url, std::string("https://first.invalid/"));
  CHECK_EQ(r.gui->urls[1].url, std::string("https://second.invalid/"));
  r.gui->openUrlSucceeds = true;
  r.gui->DispatchMouseDown(40, 5, Left());
  CHECK_EQ(r.gui->urls.size(), 3u);
}

MODULE_TEST(Text, ValueAndNameDisplaysFollowTheControlTheyAreGivenTo) {
  KnobRig k;
  auto* value = new ITextControl(&k.r.plugin, Rect(30, 0, 80, 12), TextStyle());
  auto* name = new ITextControl(&k.r.plugin, Rect(30, 12, 80, 24), TextStyle());
  k.r.gui->AddControl(value);
  k.r.gui->AddControl(name);
  k.knob->SetValueDisplay(value);
  k.knob->SetNameDisplay(name);
  k.Drag(-78, Left());  // 0.75: +6 dB
  CHECK_EQ(value->Text(), std::string("6.00 dB"));
  CHECK_EQ(name->Text(), std::string("Gain"));
  // From the host, which stores the value before showing it: the displays follow too.
  k.r.plugin.GetParam(kGain)->SetValue(-3.5);
  k.r.gui->ShowParameterValue(kGain, -3.5, false);
  CHECK_EQ(value->Text(), std::string("-3.50 dB"));
}
