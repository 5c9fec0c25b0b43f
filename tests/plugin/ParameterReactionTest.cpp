// What resets and parameter changes do: band gains, the core's working
// values, which switches arm which fade, and what the editor is told.

#include <gtest/gtest.h>

#include "RecordingEditor.h"
#include "VeltoRig.h"

TEST(BandGains, FeedbackPullsEachBandHalfWayToUnityAtItsMaximum) {
  VeltoRig rig;
  rig.Set(kLowVol, -12.0);
  EXPECT_NEAR(rig.fx->BandGain(0), 0.251189, 1e-6);
  rig.Set(kFeedback, 50.0);
  EXPECT_NEAR(rig.fx->BandGain(0), 0.625595, 1e-6);
  EXPECT_NEAR(rig.fx->BandGain(1), 1.0, 1e-12);
}

TEST(BandGains, FeedbackScalesTheCoreSaturationAmounts) {
  VeltoRig rig;
  const SaturationCore& core = rig.fx->Core();
  const double m0 = core.GetModelValue(0), m1 = core.GetModelValue(1);
  EXPECT_NEAR(core.WorkingValue(0) / m0, 0.998129, 1e-6);
  EXPECT_NEAR(core.WorkingValue(1) / m1, 0.998129, 1e-6);
  rig.Set(kFeedback, 50.0);
  const double e = 0.041343;
  EXPECT_NEAR(core.WorkingValue(0) / m0, e, 1e-6);
  // Asymmetries move with (e - 1) / 2 and stay within [0, 1].
  const double f = (e - 1.0) / 2.0, v2 = core.GetModelValue(2), v3 = core.GetModelValue(3);
  EXPECT_NEAR(core.WorkingValue(2), std::clamp(v2 + (2 * v2 - 2.25) * f, 0.0, 1.0), 1e-6);
  EXPECT_NEAR(core.WorkingValue(3), std::clamp(v3 + (2 * v3 - 2.25) * f, 0.0, 1.0), 1e-6);
}

TEST(Fades, EachSwitchArmsItsOwnFadeAndQualityChangesNone) {
  struct Case {
    int param;
    double value;
    double fade;  // 0: no fade
  };
  const Case cases[] = {{kHPQ, 2, 0},        {kHPRollOff, 4, 0.15}, {kHPON, 0, 0.15},
                        {k3Band, 0, 0.1},    {kBypass, 1, 0.2},     {kEQ_LRMS, 1, 0.15},
                        {kHP_LRMS, 2, 0.15}, {kDrive, 6, 0},        {kMix, 30, 0},
                        {kHPFreq, 40, 0},    {kCenterFreq, 3000, 0}};
  for (const Case& c : cases) {
    VeltoRig rig;
    rig.SettleFade();
    ASSERT_FALSE(rig.fx->FadeActive());
    rig.Set(c.param, c.value);
    SCOPED_TRACE(kVeltoParamNames[c.param]);
    EXPECT_EQ(rig.fx->FadeActive(), c.fade > 0);
    if (c.fade > 0) {
      EXPECT_DOUBLE_EQ(rig.fx->FadeTime(), c.fade);
    }
  }
}

TEST(Fades, BypassRestartsTheFadeEveryTimeWithoutResettingTheCounter) {
  VeltoRig rig;
  std::vector<double> quiet(1000, 0.0);
  rig.Run(quiet, quiet);
  EXPECT_EQ(rig.fx->FadeCounter(), 1000);
  rig.Set(kBypass, 1);
  EXPECT_DOUBLE_EQ(rig.fx->FadeTime(), 0.2);
  EXPECT_EQ(rig.fx->FadeCounter(), 1000);  // a switch does not restart the count
  rig.Set(kBypass, 0);
  EXPECT_TRUE(rig.fx->FadeActive());
  rig.fx->Reset();  // a reset does
  EXPECT_EQ(rig.fx->FadeCounter(), 0);
  EXPECT_DOUBLE_EQ(rig.fx->FadeTime(), 0.1);
}

TEST(EditorCalls, CrossoverLimitsModeControlsAndLabelsReachTheEditor) {
  VeltoRig rig;
  auto* editor = new RecordingEditor;
  rig.fx->AttachEditor(editor);

  rig.Set(kLowFreq, 3000.0);  // beyond its range: stored as 2500
  ASSERT_FALSE(editor->calls.empty());
  EXPECT_EQ(editor->calls.back(), "clamp 4 2500.000000 22050.000000");
  rig.Set(kHighFreq, 3000.0);
  EXPECT_EQ(editor->calls.back(), "clamp 3 20.000000 3000.000000");
  // Host automation is limited only by the parameter's own range.
  rig.fx->SetParameterNormalized(kHighFreq, 0.0);
  EXPECT_DOUBLE_EQ(rig.fx->GetParam(kHighFreq)->Value(), 1000.0);

  editor->calls.clear();
  rig.Set(k3Band, 0);
  const std::vector<std::string> twoBand = {"hide 3 1", "hide 4 1", "hide 6 1", "hide 10 0"};
  EXPECT_EQ(editor->calls, twoBand);

  editor->calls.clear();
  rig.Set(kEQ_LRMS, 2);
  ASSERT_EQ(editor->calls.size(), 2u);
  EXPECT_NE(editor->calls[0].find(" M"), std::string::npos);
  EXPECT_NE(editor->calls[1].find(" S"), std::string::npos);
  editor->calls.clear();
  rig.Set(kEQ_LRMS, 0);
  EXPECT_NE(editor->calls[0].find(" L"), std::string::npos);

  editor->calls.clear();
  rig.Set(kBypass, 1);
  EXPECT_EQ(editor->calls, std::vector<std::string>{"redraw"});
  editor->calls.clear();
  rig.Set(kMeterScale, -48);
  EXPECT_EQ(editor->calls.size(), 12u);  // four meters, two range meters, four bars, two scales
}
