// The graphics core: dirty regions and paint order, hidden and grayed
// controls, mouse routing, values in both directions and parameter editing.

#include "EditorCaches.h"
#include "EditorRig.h"
#include "EditorCheck.h"

using namespace rig;

MODULE_TEST(Redraw, ControlsMeetingADirtyOneRepaintInListOrderAndOnlyThen) {
  Rig r;
  std::vector<int> log;
  auto* a = new LoggingControl(&r.plugin, Rect(0, 0, 20, 20), &log, 0);
  auto* b = new LoggingControl(&r.plugin, Rect(10, 10, 30, 30), &log, 1);
  auto* c = new LoggingControl(&r.plugin, Rect(40, 0, 60, 10), &log, 2);
  auto* d = new LoggingControl(&r.plugin, Rect(15, 5, 25, 25), &log, 3);
  for (IControl* ctl : {static_cast<IControl*>(a), static_cast<IControl*>(b), static_cast<IControl*>(c),
                        static_cast<IControl*>(d)})
    r.gui->AddControl(ctl);
  r.Attach();
  // Everything starts dirty: the first tick paints all in list order.
  Rect all = r.gui->Tick();
  CHECK_TRUE(all == Rect(0, 0, 60, 30));
  CHECK_EQ(log, (std::vector<int>{0, 1, 2, 3}));
  log.clear();
  CHECK_TRUE(r.gui->Tick().Empty());
  CHECK_TRUE(log.empty());
  // b changes: a and d meet it and repaint too, before and after it; c does not.
  r.gui->PushControlValue(1, 0.5);  // first value becomes the default, no redraw
  CHECK_TRUE(r.gui->Tick().Empty());
  r.gui->PushControlValue(1, 0.7);
  CHECK_TRUE(r.gui->Tick() == Rect(10, 10, 30, 30));
  CHECK_EQ(log, (std::vector<int>{0, 1, 3}));
  CHECK_TRUE(r.gui->presented.back() == Rect(10, 10, 30, 30));
  // A pushed value also leaves a pending redraw, so it paints on the next tick
  // too: a value arriving while a paint runs is never lost.
  CHECK_TRUE(r.gui->Tick() == Rect(10, 10, 30, 30));
  CHECK_TRUE(r.gui->Tick().Empty());
  // Out-of-range control indices are ignored.
  r.gui->PushControlValue(-1, 0.2);
  r.gui->PushControlValue(99, 0.2);
  CHECK_TRUE(r.gui->Tick().Empty());
}

MODULE_TEST(Redraw, RectsMeetWithTheInclusiveEdgeTestAndEmptyRectsNever) {
  CHECK_TRUE(Rect(0, 0, 10, 10).Intersects(Rect(10, 10, 20, 20)));  // touching corner counts
  CHECK_FALSE(Rect(0, 0, 10, 10).Intersects(Rect(11, 0, 20, 10)));
  CHECK_FALSE(Rect().Intersects(Rect(0, 0, 10, 10)));
  CHECK_TRUE(Rect().Union(Rect(1, 2, 3, 4)) == Rect(1, 2, 3, 4));
  CHECK_TRUE(Rect(5, 5, 6, 6).Union(Rect(1, 2, 3, 4)) == Rect(1, 2, 6, 6));
  CHECK_TRUE(Rect(0, 0, 10, 10).Clip(Rect(20, 20, 30, 30)).Empty());
}

MODULE_TEST(Redraw, HiddenControlsAreNeitherPaintedNorHitGrayedArePaintedButNotHit) {
  Rig r;
  std::vector<int> log;
  auto* under = new LoggingControl(&r.plugin, Rect(0, 0, 40, 40), &log, 0, kGain);
  auto* over = new LoggingControl(&r.plugin, Rect(0, 0, 40, 40), &log, 1, kFreq);
  r.gui->AddControl(under);
  r.gui->AddControl(over);
  r.Attach();
  CHECK_EQ(r.gui->ControlAt(5, 5), 1);
  r.gui->HideParameterControls(kFreq, true);
  CHECK_TRUE(over->IsHidden());
  CHECK_EQ(r.gui->ControlAt(5, 5), 0);
  log.clear();
  r.PaintAll();
  CHECK_EQ(log, std::vector<int>{0});
  r.gui->HideParameterControls(kFreq, false);
  over->SetGrayed(true);
  CHECK_NEAR(over->Blend().weight, 0.25, 0.0);
  CHECK_EQ(r.gui->ControlAt(5, 5), 0);
  log.clear();
  r.PaintAll();
  CHECK_EQ(log, (std::vector<int>{0, 1}));
  over->SetGrayed(false);
  CHECK_NEAR(over->Blend().weight, 1.0, 0.0);
}

MODULE_TEST(Mouse, ThePressedControlKeepsTheMouseUntilReleaseAndStillPointerDragsNothing) {
  Rig r;
  std::vector<int> log;
  auto* a = new LoggingControl(&r.plugin, Rect(0, 0, 20, 20), &log, 0, kGain);
  auto* b = new LoggingControl(&r.plugin, Rect(30, 0, 50, 20), &log, 1);
  r.gui->AddControl(a);
  r.gui->AddControl(b);
  r.Attach();
  r.plugin.hostCalls.clear();
  r.gui->DispatchMouseDown(5, 5, Left());
  CHECK_EQ(r.gui->CapturedControl(), 0);
  CHECK_EQ(r.gui->ControlAt(35, 5), 0);  // captured: every point finds it
  r.gui->DispatchMouseDrag(5, 5, Left());  // no movement
  r.gui->DispatchMouseDrag(35, 8, Left());
  r.gui->DispatchMouseDrag(35, 8, Left());
  r.gui->DispatchMouseUp(35, 8, Left());
  CHECK_EQ(r.gui->CapturedControl(), -1);
  CHECK_EQ(a->events, (std::vector<std::string>{"down 5,5", "drag 35,8 30,3", "up 35,8"}));
  CHECK_TRUE(b->events.empty());
  CHECK_EQ(r.plugin.hostCalls, (std::vector<std::string>{"begin 0", "end 0"}));
  // A control without a parameter gets the press but no edit gesture.
  r.plugin.hostCalls.clear();
  r.gui->DispatchMouseDown(35, 5, Left());
  r.gui->DispatchMouseUp(35, 5, Left());
  CHECK_EQ(b->events.size(), 2u);
  CHECK_TRUE(r.plugin.hostCalls.empty());
}

MODULE_TEST(Mouse, APressOutsideEveryControlCapturesNothingAndItsDragAndReleaseDoNothing) {
  Rig r;
  std::vector<int> log;
  auto* a = new LoggingControl(&r.plugin, Rect(0, 0, 20, 20), &log, 0, kGain);
  r.gui->AddControl(a);
  r.Attach();
  r.plugin.hostCalls.clear();
  r.gui->DispatchMouseDown(50, 40, Left());
  CHECK_EQ(r.gui->CapturedControl(), -1);
  r.gui->DispatchMouseDrag(10, 10, Left());
  r.gui->DispatchMouseUp(60, 40, Left());
  CHECK_TRUE(a->events.empty());
  CHECK_TRUE(r.plugin.hostCalls.empty());
  CHECK_FALSE(r.gui->DispatchKey(50, 40, 'a'));  // no control, no key catcher
}

MODULE_TEST(Mouse, UnderTheVst3BindingARightPressOnAParameterOpensTheHostMenuInstead) {
  Rig r(64, 48, 1);
  std::vector<int> log;
  auto* a = new LoggingControl(&r.plugin, Rect(0, 0, 20, 20), &log, 0, kFreq);
  r.gui->AddControl(a);
  r.Attach();
  r.plugin.hostCalls.clear();
  r.gui->DispatchMouseDown(4, 6, Right());
  CHECK_EQ(r.plugin.hostMenuParam, kFreq);
  CHECK_EQ(r.plugin.hostMenuX, 4);
  CHECK_EQ(r.plugin.hostMenuY, 6);
  CHECK_EQ(r.gui->CapturedControl(), -1);
  CHECK_TRUE(a->events.empty());
  CHECK_TRUE(r.plugin.hostCalls.empty());
  r.gui->DispatchMouseDown(4, 6, Left());  // the left button still reaches the control
  CHECK_EQ(a->events.size(), 1u);
}

MODULE_TEST(Values, PlainValuesAreNormalisedWithShapeAndUnboundParametersDoNothing) {
  Rig r;
  std::vector<int> log;
  auto* freq = new LoggingControl(&r.plugin, Rect(0, 0, 10, 10), &log, 0, kFreq);
  r.gui->AddControl(freq);
  r.Attach();
  // ((200 - 20) / 1980)^(1/2)
  CHECK_NEAR(freq->Value(), 0.30151134457776363, 1e-12);
  CHECK_NEAR(freq->DefaultValue(), 0.30151134457776363, 1e-12);
  r.gui->ShowParameterValue(kFreq, 1010.0, false);
  CHECK_NEAR(freq->Value(), 0.7071067811865476, 1e-12);
  r.gui->ShowParameterValue(kFreq, 5000.0, false);  // clamped to the maximum
  CHECK_NEAR(freq->Value(), 1.0, 1e-12);
  r.gui->ShowParameterValue(kGain, 0.25, true);
  r.gui->ShowParameterValue(77, 0.25, true);
  CHECK_NEAR(freq->Value(), 1.0, 1e-12);
  // The clamp range of plain values limits what the control can be set to.
  r.gui->ClampParameterControls(kFreq, 515.0, 1010.0);
  CHECK_NEAR(freq->ClampLow(), 0.5, 1e-12);
  CHECK_NEAR(freq->ClampHigh(), 0.7071067811865476, 1e-12);
  freq->SetValue(0.1);
  freq->FlagRedraw(false);
  CHECK_NEAR(freq->Value(), 0.5, 1e-12);
}

MODULE_TEST(Values, ImagesComeFromTheSharedCacheAndAFailedLoadGivesAnEmptyStrip) {
  Rig r;
  const int before = r.gui->pngLoads;
  const FrameStrip knob = r.gui->LoadStrip(kKnobId, "knob.png", kKnobFrames);
  REQUIRE_TRUE(knob.image != nullptr);
  CHECK_EQ(knob.width, 20);
  CHECK_EQ(knob.height, 100);
  CHECK_EQ(knob.frameCount, kKnobFrames);
  Rig other;
  const FrameStrip again = other.gui->LoadStrip(kKnobId, "knob.png", kKnobFrames);
  CHECK_TRUE(again.image == knob.image);
  CHECK_EQ(other.gui->pngLoads, 0);
  CHECK_TRUE(r.gui->pngLoads - before <= 1);
  const FrameStrip broken = r.gui->LoadStrip(kBrokenId, "broken.png", 2);
  CHECK_TRUE(broken.image == nullptr);
  CHECK_EQ(broken.width, 0);
  const FrameStrip missing = r.gui->LoadStrip(999, "missing.png", 1);
  CHECK_TRUE(missing.image == nullptr);
}

MODULE_TEST(Editing, TextedParametersGetAPopupWithTheCurrentTextCheckedAndThePickStored) {
  Rig r;
  auto* sw = new ISwitchControl(&r.plugin, 0, 0, kMode, r.gui->LoadStrip(kSwitchId, "switch.png", 2));
  r.gui->AddControl(sw);
  r.Attach();
  r.plugin.hostCalls.clear();
  const Rect where(1, 2, 30, 20);
  r.gui->nextMenuChoice = 1;
  r.gui->EditParameterValue(sw, kMode, &where);
  REQUIRE_TRUE(r.gui->menus.size() == 1u);
  CHECK_EQ(r.gui->menus[0].texts, (std::vector<std::string>{"off", "on"}));
  CHECK_EQ(r.gui->menus[0].flags, (std::vector<int>{kItemChecked, 0}));
  CHECK_TRUE(r.gui->menus[0].rect == where);
  CHECK_NEAR(sw->Value(), 1.0, 0.0);
  CHECK_NEAR(r.plugin.GetParam(kMode)->Value(), 1.0, 0.0);
  CHECK_EQ(r.plugin.hostCalls, std::vector<std::string>{"automate 2 1.000000"});
  // Dismissed: nothing changes. Picking the current item sends nothing.
  r.plugin.hostCalls.clear();
  r.gui->EditParameterValue(sw, kMode, &where);
  r.gui->nextMenuChoice = 1;
  r.gui->EditParameterValue(sw, kMode, &where);
  CHECK_EQ(r.gui->menus.back().flags, (std::vector<int>{0, kItemChecked}));
  CHECK_TRUE(r.plugin.hostCalls.empty());
  // Without a control, parameter or rect nothing opens.
  r.gui->EditParameterValue(nullptr, kMode, &where);
  r.gui->EditParameterValue(sw, 42, &where);
  r.gui->EditParameterValue(sw, kMode, nullptr);
  CHECK_EQ(r.gui->menus.size(), 3u);
}

MODULE_TEST(Editing, OtherParametersOpenATextEntryWithTheDisplayPrecision) {
  Rig r;
  std::vector<int> log;
  auto* gain = new LoggingControl(&r.plugin, Rect(0, 0, 30, 30), &log, 0, kGain);
  auto* choice = new LoggingControl(&r.plugin, Rect(30, 0, 60, 30), &log, 1, kChoice);
  r.gui->AddControl(gain);
  r.gui->AddControl(choice);
  r.Attach();
  r.plugin.GetParam(kGain)->SetValue(-3.14159);
  const Rect where(0, 14, 30, 30);
  r.gui->EditParameterValue(gain, kGain, &where);
  r.gui->EditParameterValue(gain, kGain, &where);  // one entry at a time
  CHECK_EQ(r.gui->textEntries.size(), 1u);
  r.gui->CancelTextEntry();
  r.plugin.GetParam(kGain)->SetNegateDisplay(true);
  r.gui->EditParameterValue(gain, kGain, &where);
  r.gui->CancelTextEntry();
  r.gui->EditParameterValue(choice, kChoice, &where);
  REQUIRE_TRUE(r.gui->textEntries.size() == 3u);
  CHECK_EQ(r.gui->textEntries[0].text, std::string("-3.14"));
  CHECK_EQ(r.gui->textEntries[1].text, std::string("3.14"));
  CHECK_EQ(r.gui->textEntries[2].text, std::string("1"));
  CHECK_TRUE(r.gui->textEntries[0].control == gain);
  CHECK_TRUE(r.gui->textEntries[0].rect == where);
  CHECK_TRUE(r.gui->menus.empty());
}

namespace {
class PromptingControl : public IControl {
 public:
  PromptingControl(IEffectBase* owner, const Rect& area, int paramIdx) : IControl(owner, area, paramIdx) {
    promptDisabled_ = false;
  }
  bool Paint(IGraphics&) override { return true; }
};
}  // namespace

MODULE_TEST(Editing, ARightClickEditsInASmallRectAtTheCentreOrOverTheWholeTextedControl) {
  Rig r;
  auto* gain = new PromptingControl(&r.plugin, Rect(10, 10, 31, 30), kGain);
  auto* mode = new PromptingControl(&r.plugin, Rect(40, 10, 60, 30), kMode);
  auto* quiet = new IPanelControl(&r.plugin, Rect(0, 40, 10, 48), Colour(255, 1, 2, 3));
  r.gui->AddControl(gain);
  r.gui->AddControl(mode);
  r.gui->AddControl(quiet);
  r.Attach();
  r.gui->DispatchMouseDown(12, 12, Right());
  r.gui->DispatchMouseUp(12, 12, Right());
  REQUIRE_TRUE(r.gui->textEntries.size() == 1u);
  CHECK_TRUE(r.gui->textEntries[0].rect == Rect(5, 12, 35, 28));
  r.gui->DispatchMouseDown(45, 12, Right());
  REQUIRE_TRUE(r.gui->menus.size() == 1u);
  CHECK_TRUE(r.gui->menus[0].rect == Rect(40, 10, 60, 30));
  r.gui->DispatchMouseDown(45, 12, Left());  // the left button opens nothing
  r.gui->DispatchMouseDown(5, 44, Right());  // prompts are off by default
  CHECK_EQ(r.gui->menus.size(), 1u);
  CHECK_EQ(r.gui->textEntries.size(), 1u);
}

MODULE_TEST(Values, OneFontPerStyleIsSharedByEveryEditorAndEveryControl) {
  Rig r;
  TextStyle a(11, Colour(255, 1, 2, 3), "Verdana");
  TextStyle b(11, Colour(255, 200, 0, 0), "Verdana");  // colour is not part of the key
  TextStyle bold(11, Colour(), "Verdana", kStyleBold);
  TextStyle bigger(13, Colour(), "Verdana");
  Rect ra(0, 0, 40, 12);
  REQUIRE_TRUE(r.gui->DrawLabel(a, "a", ra, true));
  const int fonts = FontCache::Instance().Count();
  Rect rb = ra;
  r.gui->DrawLabel(b, "b", rb, true);
  CHECK_TRUE(a.cachedFont == b.cachedFont);
  CHECK_EQ(FontCache::Instance().Count(), fonts);
  Rig other;
  TextStyle c = TextStyle(11, Colour(), "Verdana");
  Rect rc = ra;
  other.gui->DrawLabel(c, "c", rc, true);
  CHECK_TRUE(c.cachedFont == a.cachedFont);
  r.gui->DrawLabel(bold, "d", rb, true);
  r.gui->DrawLabel(bigger, "e", rb, true);
  CHECK_TRUE(bold.cachedFont != a.cachedFont);
  CHECK_TRUE(bigger.cachedFont != a.cachedFont);
  CHECK_TRUE(bigger.cachedFont != bold.cachedFont);
  CHECK_EQ(FontCache::Instance().Count(), fonts + 2);
  // Measuring aligns the extent in the rect: centred text keeps the centre.
  Rect centred(0, 0, 100, 12);
  REQUIRE_TRUE(r.gui->DrawLabel(a, "mmmm", centred, true));
  CHECK_TRUE(centred.right - centred.left > 0);
  CHECK_NEAR((centred.left + centred.right) / 2.0, 50.0, 1.0);
  // Empty texts draw nothing and fail.
  CHECK_FALSE(r.gui->DrawLabel(a, "", ra));
  CHECK_FALSE(r.gui->DrawLabel(a, nullptr, ra));
}

MODULE_TEST(Editing, ACommittedEntrySetsTheParameterFromANumberOrADisplayTextAndIgnoresTheRest) {
  Rig r;
  auto* gain = new PromptingControl(&r.plugin, Rect(0, 0, 30, 30), kGain);
  auto* mode = new PromptingControl(&r.plugin, Rect(30, 0, 60, 30), kMode);
  r.gui->AddControl(gain);
  r.gui->AddControl(mode);
  r.Attach();
  const Rect where(0, 0, 30, 16);
  CHECK_FALSE(r.gui->CommitTextEntry("1"));  // nothing open
  struct Case {
    const char* typed;
    double expectedDb;
  };
  const Case cases[] = {{"6", 6.0}, {"-3.25", -3.25}, {"abc", -3.25}, {"", -3.25}, {"1e999", -3.25},
                        {"nan", -3.25}, {"40", 12.0}, {"-7.5 dB", -7.5}, {"0123456789012345678901234567890123456789", 12.0}};
  for (const Case& c : cases) {
    r.gui->EditParameterValue(gain, kGain, &where);
    CHECK_TRUE(r.gui->CommitTextEntry(c.typed));
    CHECK_NEAR(r.plugin.GetParam(kGain)->Value(), c.expectedDb, 1e-9);
    CHECK_NEAR(gain->Value(), r.plugin.GetParam(kGain)->ToNormalized(), 1e-12);
  }
  r.plugin.GetParam(kGain)->SetNegateDisplay(true);  // shown negated, typed negated
  r.gui->EditParameterValue(gain, kGain, &where);
  r.gui->CommitTextEntry("4");
  CHECK_NEAR(r.plugin.GetParam(kGain)->Value(), -4.0, 1e-9);
  // On/off parameters take their display texts only.
  r.gui->IGraphics::CommitTextEntry(mode, "on");
  CHECK_NEAR(r.plugin.GetParam(kMode)->Value(), 1.0, 0.0);
  r.gui->IGraphics::CommitTextEntry(mode, "1.0");
  r.gui->IGraphics::CommitTextEntry(mode, "maybe");
  CHECK_NEAR(r.plugin.GetParam(kMode)->Value(), 1.0, 0.0);
  r.gui->IGraphics::CommitTextEntry(mode, "off");
  CHECK_NEAR(r.plugin.GetParam(kMode)->Value(), 0.0, 0.0);
  CHECK_NEAR(mode->Value(), 0.0, 0.0);
}
