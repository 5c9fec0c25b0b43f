// Velto's parameter table, factory presets and state layout.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "VeltoRig.h"

namespace {
struct Row {
  int idx;
  const char* name;
  ParamType type;
  double def, min, max, step;
  const char* unit;
  double shape;
};
const Row kTable[] = {
    {kInGain, "In Gain", kParamDouble, 0, -12, 12, 0.01, "dB", 1},
    {kOutGain, "Out Gain", kParamDouble, 0, -12, 12, 0.01, "dB", 1},
    {kDrive, "Drive Gain", kParamDouble, 0, -10, 15, 0.01, "dB", 1},
    {kLowFreq, "Low Freq", kParamDouble, 175, 20, 2500, 1, "Hz", 2},
    {kHighFreq, "High Freq", kParamDouble, 4500, 1000, 22050, 1, "Hz", 2},
    {kLowVol, "Low Volume", kParamDouble, 0, -12, 12, 0.01, "dB", 1},
    {kMidVol, "Mid Volume", kParamDouble, 0, -12, 12, 0.01, "dB", 1},
    {kHighVol, "High Volume", kParamDouble, 0, -12, 12, 0.01, "dB", 1},
    {kHPON, "HP Bypass", kParamBool, 1, 0, 1, 1, "", 1},
    {kHPFreq, "HP Freq", kParamDouble, 20, 10, 50, 0.01, "Hz", 2},
    {kCenterFreq, "Center Freq", kParamDouble, 1000, 100, 13230, 1, "Hz", 2},
    {k3Band, "3 Band Mode", kParamBool, 1, 0, 1, 1, "", 1},
    {kHPQ, "HP Q", kParamInt, 1, 0, 2, 1, "", 1},
    {kHPRollOff, "HP Roll-off", kParamInt, 2, 2, 4, 1, "", 1},
    {kBypass, "Bypass", kParamBool, 0, 0, 1, 1, "", 1},
    {kMix, "Mix", kParamDouble, 100, 0, 100, 1, "%", 1},
    {kMeterScale, "dB Scale", kParamDouble, -24, -96, -3, 1, "dB", 0.5},
    {kFeedback, "Feedback", kParamDouble, 0, 0, 50, 0.1, "%", 2},
    {kEQ_LRMS, "EQ Channel Select", kParamInt, 0, 0, 2, 1, "", 1},
    {kHP_LRMS, "HP Channel Select", kParamInt, 0, 0, 2, 1, "", 1},
    {kModel, "Velto", kParamInt, 17, 17, 18, 1, "", 1},  // a one-point range is widened by a step
};

std::vector<double> StoredValues(const PresetSlot& slot) {
  std::vector<double> v(slot.state.Size() / 8);
  for (size_t i = 0; i < v.size(); ++i) slot.state.GetDouble(&v[i], static_cast<int>(8 * i));
  return v;
}
}  // namespace

TEST(VeltoParameters, MatchTheTableInOrder) {
  VeltoRig rig;
  Velto& fx = *rig.fx;
  EXPECT_EQ(fx.NumParams(), kNumParams + 1);  // one undeclared object follows
  EXPECT_EQ(fx.StoredParamCount(), 20);
  EXPECT_EQ(fx.GetParam(kNumParams)->Type(), kParamNone);
  for (const Row& row : kTable) {
    SCOPED_TRACE(row.name);
    const IEffectParam* p = fx.GetParam(row.idx);
    EXPECT_STREQ(p->Name(), row.name);
    EXPECT_EQ(p->Type(), row.type);
    EXPECT_DOUBLE_EQ(p->Default(), row.def);
    EXPECT_DOUBLE_EQ(p->Value(), row.def);
    EXPECT_DOUBLE_EQ(p->Min(), row.min);
    EXPECT_DOUBLE_EQ(p->Max(), row.max);
    EXPECT_DOUBLE_EQ(p->Step(), row.step);
    EXPECT_STREQ(p->Label(), row.unit);
    EXPECT_DOUBLE_EQ(p->Shape(), row.shape);
  }
  EXPECT_STREQ(kVeltoParamNames[kHPRollOff], "kHPRollOff");
  EXPECT_STREQ(kVeltoParamNames[kEQ_LRMS], "kEQ_LRMS");
}

TEST(VeltoParameters, HighFreqMaximumFollowsTheSampleRateAtReset) {
  for (double rate : {44100.0, 48000.0, 96000.0}) {
    VeltoRig rig(rate);
    EXPECT_DOUBLE_EQ(rig.fx->GetParam(kHighFreq)->Max(), rate * 0.5);
    rig.Set(kHighFreq, 1e9);
    EXPECT_DOUBLE_EQ(rig.fx->GetParam(kHighFreq)->Value(), rate * 0.5);
  }
}

TEST(VeltoPresets, SlotsHoldTheDefaultsThenSixFactoryPresetsThenUnfilledSlots) {
  VeltoRig rig;
  Velto& fx = *rig.fx;
  ASSERT_EQ(fx.NumPresets(), 20);
  const char* names[] = {"-", "Gentle Loudness", "Stereo Wide", "Mid Channel Warmth",
                         "Bright Tilt", "Low Tilt", "Presence"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_STREQ(fx.PresetName(i), names[i]);
    EXPECT_TRUE(fx.GetPreset(i)->initialized);
    EXPECT_EQ(fx.GetPreset(i)->state.Size(), 160) << "only the stored parameters";
  }
  for (int i = 7; i < 20; ++i) {
    EXPECT_STREQ(fx.PresetName(i), "empty");
    EXPECT_FALSE(fx.GetPreset(i)->initialized);
  }
  const std::vector<double> defaults = StoredValues(*fx.GetPreset(0));
  for (int i = 0; i < 20; ++i) EXPECT_DOUBLE_EQ(defaults[i], kTable[i].def);
}

TEST(VeltoPresets, HoldTheirExactConstants) {
  VeltoRig rig;
  const std::vector<double> bright = StoredValues(*rig.fx->GetPreset(4));
  EXPECT_DOUBLE_EQ(bright[kLowVol], -1.29);
  EXPECT_DOUBLE_EQ(bright[kHighFreq], 2100.717827);
  EXPECT_DOUBLE_EQ(bright[kHP_LRMS], 2.0);
  const std::vector<double> low = StoredValues(*rig.fx->GetPreset(5));
  EXPECT_DOUBLE_EQ(low[kHighVol], -2.57143);
  EXPECT_DOUBLE_EQ(low[kMix], 63.0);
  const std::vector<double> warmth = StoredValues(*rig.fx->GetPreset(3));
  EXPECT_DOUBLE_EQ(warmth[kDrive], 15.0);
  EXPECT_DOUBLE_EQ(warmth[kFeedback], 9.964923);
  EXPECT_DOUBLE_EQ(warmth[kEQ_LRMS], 1.0);
}

TEST(VeltoPresets, RecallSetsModesAndKeepsTheModelAndSafeDefaults) {
  VeltoRig rig;
  Velto& fx = *rig.fx;
  for (int slot = 1; slot <= 6; ++slot) {
    SCOPED_TRACE(fx.PresetName(slot));
    ASSERT_TRUE(fx.LoadPreset(slot));
    const bool bright = slot == 4;
    EXPECT_EQ(fx.GetParam(k3Band)->AsBool(), !bright);
    EXPECT_EQ(fx.GetParam(kHPON)->AsBool(), !bright);
    EXPECT_DOUBLE_EQ(fx.GetParam(kInGain)->Value(), 0.0);
    EXPECT_FALSE(fx.GetParam(kBypass)->AsBool());
    EXPECT_DOUBLE_EQ(fx.GetParam(kModel)->Value(), 17.0);
    EXPECT_EQ(fx.CurrentPreset(), slot);
  }
}

TEST(VeltoState, BankOfAllPresetsRoundTripsIntoAFreshInstance) {
  VeltoRig a, b;
  a.fx->LoadPreset(3);
  a.Set(kDrive, 4.25);
  a.fx->ModifyCurrentPreset("Tweaked");
  StateChunk bank;
  ASSERT_TRUE(a.fx->SerializePresets(bank));
  EXPECT_EQ(b.fx->UnserializePresets(bank, 0), bank.Size());
  for (int i = 0; i < 20; ++i) {
    EXPECT_STREQ(b.fx->PresetName(i), a.fx->PresetName(i));
    EXPECT_EQ(b.fx->GetPreset(i)->state, a.fx->GetPreset(i)->state);
  }
  StateChunk params;
  a.fx->SerializeParams(params);
  EXPECT_EQ(params.Size(), 160);
  EXPECT_EQ(b.fx->UnserializeParams(params, 0), 160);
  EXPECT_DOUBLE_EQ(b.fx->GetParam(kDrive)->Value(), 4.25);
  EXPECT_DOUBLE_EQ(b.fx->GetParam(kModel)->Value(), 17.0);
}
