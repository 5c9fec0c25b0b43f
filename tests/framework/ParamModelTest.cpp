// Parameter definition, normalisation with shapes, and display text rules.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "IEffectParam.h"

namespace {
std::string Format(const IEffectParam& p, double v, bool normalized = false, bool texts = true) {
  char out[IEffectParam::kTextSize];
  p.FormatValue(v, normalized, out, texts);
  return out;
}
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
}  // namespace

TEST(ParamDefinition, PrecisionFollowsTheStepUpToSixDigits) {
  IEffectParam p;
  p.DefineDouble("Gain", 0, -12, 12, 0.01, "dB");
  EXPECT_EQ(p.DisplayPrecision(), 2);
  p.DefineDouble("Gain", 0, -12, 12, 0.001, "dB");
  EXPECT_EQ(p.DisplayPrecision(), 3);
  p.DefineDouble("Gain", 0, -12, 12, 1e-9, "dB");
  EXPECT_EQ(p.DisplayPrecision(), 6);
  p.DefineDouble("Freq", 1000, 100, 13230, 1, "Hz");
  EXPECT_EQ(p.DisplayPrecision(), 0);
}

TEST(ParamDefinition, MaximumIsRaisedToMinPlusStepAndKindIsSetOnce) {
  IEffectParam p;
  p.DefineInt("Model", 17, 17, 17);
  EXPECT_EQ(p.Type(), kParamInt);
  EXPECT_DOUBLE_EQ(p.Max(), 18.0);
  EXPECT_DOUBLE_EQ(p.ToNormalized(18.0), 1.0);
  EXPECT_DOUBLE_EQ(p.Value(), 17.0);
  p.DefineDouble("Again", 0, 0, 1, 0.1);
  EXPECT_EQ(p.Type(), kParamInt);  // the first definition decides the kind
}

TEST(ParamDefinition, ShapeZeroIsIgnoredEverywhere) {
  IEffectParam p;
  p.DefineDouble("Freq", 175, 20, 2500, 1, "Hz", 2.0);
  p.SetShape(0.0);
  EXPECT_DOUBLE_EQ(p.Shape(), 2.0);
  p.DefineDouble("Freq", 175, 20, 2500, 1, "Hz", 0.0);
  EXPECT_DOUBLE_EQ(p.Shape(), 2.0);
  p.SetShape(0.5);
  EXPECT_DOUBLE_EQ(p.Shape(), 0.5);
}

TEST(ParamNormalisation, MapsWithTheShapeAndRoundsNonRealKinds) {
  IEffectParam choice;
  choice.DefineInt("Q", 1, 0, 2);
  choice.SetFromNormalized(0.5);
  EXPECT_DOUBLE_EQ(choice.Value(), 1.0);

  IEffectParam onOff;
  onOff.DefineBool("On", false);
  onOff.SetFromNormalized(0.5);
  EXPECT_DOUBLE_EQ(onOff.Value(), 1.0);  // 0.5 rounds up

  IEffectParam freq;
  freq.DefineDouble("Freq", 175, 20, 2500, 1, "Hz");
  freq.SetShape(2.0);
  freq.SetFromNormalized(0.5);
  EXPECT_DOUBLE_EQ(freq.Value(), 640.0);  // 20 + 0.25 * 2480
  EXPECT_DOUBLE_EQ(freq.ToNormalized(), 0.5);
  EXPECT_DOUBLE_EQ(freq.ToNormalized(10.0), 0.0);
  EXPECT_DOUBLE_EQ(freq.ToNormalized(9000.0), 1.0);
}

TEST(ParamNormalisation, PlainToNormalisedToPlainRoundTrips) {
  IEffectParam scale;
  scale.DefineDouble("dB Scale", -24, -96, -3, 1, "dB");
  scale.SetShape(0.5);
  for (double v = -96; v <= -3; v += 7.5) {
    scale.SetFromNormalized(scale.ToNormalized(v));
    EXPECT_NEAR(scale.Value(), v, 1e-9);
  }
}

TEST(ParamNormalisation, HostValuesOutsideTheUnitRangeOrNotFiniteStayInRange) {
  IEffectParam p;
  p.DefineDouble("Gain", 3, -12, 12, 0.01, "dB");
  p.SetFromNormalized(1.7);
  EXPECT_DOUBLE_EQ(p.Value(), 12.0);
  p.SetFromNormalized(-0.4);
  EXPECT_DOUBLE_EQ(p.Value(), -12.0);
  p.SetFromNormalized(0.75);
  p.SetFromNormalized(kNaN);
  EXPECT_DOUBLE_EQ(p.Value(), 6.0);  // ignored
  p.SetFromNormalized(kInf);
  EXPECT_DOUBLE_EQ(p.Value(), 6.0);

  IEffectParam shaped;  // a fractional power of a negative number would be NaN
  shaped.DefineDouble("Freq", 100, 20, 2500, 1, "Hz", 2.5);
  shaped.SetFromNormalized(-1e-3);
  EXPECT_DOUBLE_EQ(shaped.Value(), 20.0);
}

TEST(ParamValues, SetValueClampsAndNeverStoresANonFiniteValue) {
  IEffectParam p;
  p.DefineDouble("Mix", 100, 0, 100, 1, "%");
  p.SetValue(150);
  EXPECT_DOUBLE_EQ(p.Value(), 100.0);
  p.SetValue(-3);
  EXPECT_DOUBLE_EQ(p.Value(), 0.0);
  p.SetValue(kNaN);
  EXPECT_DOUBLE_EQ(p.Value(), 100.0);  // the default
  p.SetValue(-kInf);
  EXPECT_DOUBLE_EQ(p.Value(), 100.0);
  EXPECT_EQ(IEffectParam().AsInt(), 0);
}

TEST(ParamDisplay, FormatsByPrecisionTextsAndSign) {
  IEffectParam gain;
  gain.DefineDouble("Gain", -3.5, -12, 12, 0.01, "dB");
  EXPECT_EQ(Format(gain, gain.Value()), "-3.50");
  EXPECT_STREQ(gain.UnitLabel(), "dB");
  EXPECT_EQ(Format(gain, 0.5, true), "0.00");

  IEffectParam count;
  count.DefineInt("Roll-off", 2, 2, 4);
  EXPECT_EQ(Format(count, 2.9), "2");  // truncated, not rounded

  IEffectParam onOff;
  onOff.DefineBool("Bypass", true);
  EXPECT_EQ(Format(onOff, 1.0), "on");
  EXPECT_EQ(Format(onOff, 0.0), "off");
  EXPECT_EQ(Format(onOff, 1.0, false, false), "1");
  EXPECT_STREQ(onOff.UnitLabel(), "");

  IEffectParam negated;
  negated.DefineDouble("Atten", 3.0, 0, 10, 0.1);
  negated.SetNegateDisplay(true);
  EXPECT_EQ(Format(negated, negated.Value()), "-3.0");

  IEffectParam huge;  // display of absurd values stays bounded and defined
  huge.DefineDouble("X", 0, -1e300, 1e300, 1);
  EXPECT_EQ(Format(huge, 1e300), "0");
  EXPECT_EQ(Format(huge, kNaN), "0");
}

TEST(ParamDisplay, TextTableLooksUpTheFirstMatchBothWays) {
  IEffectParam p;
  p.DefineBool("HP", true);
  p.DefineBool("HP", true);  // a second pair is appended
  EXPECT_EQ(p.DisplayTextCount(), 4);
  p.AddDisplayText(5, "");
  EXPECT_STREQ(p.DisplayTextFor(1), "on");
  EXPECT_STREQ(p.DisplayTextFor(7), "");
  double v = -1;
  EXPECT_TRUE(p.FindDisplayTextValue("off", &v));
  EXPECT_DOUBLE_EQ(v, 0.0);
  EXPECT_FALSE(p.FindDisplayTextValue("On", &v));  // case-sensitive
  EXPECT_FALSE(p.FindDisplayTextValue(nullptr, &v));
  EXPECT_EQ(Format(p, 5.0), "5");  // empty entry text falls through to the number
}

TEST(ParamDefinition, LongNamesAreCutTo31Characters) {
  IEffectParam p;
  p.DefineDouble("A parameter name that is far too long for the field", 0, 0, 1, 0.1,
                 "a label that is also much too long");
  EXPECT_EQ(std::string(p.Name()).size(), 31u);
  EXPECT_EQ(std::string(p.Label()).size(), 31u);
}
