#pragma once
// One automatable setting of a plug-in.
//
// A parameter holds its plain value (dB, Hz, %, a choice number, on/off) and
// converts between that value and the host's normalised 0..1 form through a
// power-law taper ("shape"). Plain record: no lock of its own, every user holds
// the plug-in lock of IEffectBase while it reads or writes a value.

#include <vector>

enum ParamType : int {
  kParamNone = 0,
  kParamBool = 1,
  kParamInt = 2,
  kParamEnum = 3,
  kParamDouble = 4,
};

struct DisplayText {
  int value = 0;
  char text[32] = {};
};

class IEffectParam {
 public:
  static constexpr int kTextSize = 32;

  // Definition, once per parameter from the plug-in constructor [construction].
  void DefineDouble(const char* name, double defaultValue, double minValue, double maxValue,
                    double step, const char* label = "", double shape = 1.0);
  void DefineInt(const char* name, int defaultValue, int minValue, int maxValue);
  void DefineBool(const char* name, bool defaultValue);
  void SetShape(double shape);  // 0 is ignored
  void AddDisplayText(int value, const char* text);

  // Values [plug-in lock held].
  double Value() const { return value_; }
  bool AsBool() const { return value_ >= 0.5; }
  int AsInt() const;
  double DbToAmplitude() const;
  // Stores v clamped to [min, max]. A value that is not finite never becomes
  // the parameter's value: state data holding NaN or infinity loads the default.
  void SetValue(double v);
  // Host-side write. The result is limited to max; x below 0 counts as 0 and a
  // non-finite x is ignored, so a misbehaving host can neither leave the range
  // nor store NaN.
  void SetFromNormalized(double x);
  double ToNormalized() const { return ToNormalized(value_); }
  double ToNormalized(double plain) const;
  // Normalised to plain by the taper alone: no step rounding, no clamping.
  double FromNormalizedUnrounded(double x) const;

  // Text.
  void FormatValue(double v, bool isNormalized, char* out, bool useDisplayTexts = true) const;
  void FormatValue(char* out, bool useDisplayTexts = true) const {
    FormatValue(value_, false, out, useDisplayTexts);
  }
  const char* UnitLabel() const;
  const char* DisplayTextFor(int value) const;
  int DisplayTextCount() const { return static_cast<int>(displayTexts_.size()); }
  const DisplayText* DisplayTextAt(int i) const;
  bool FindDisplayTextValue(const char* text, double* value) const;

  // Accessors.
  const char* Name() const { return name_; }
  const char* Label() const { return label_; }
  const char* Group() const { return group_; }
  ParamType Type() const { return type_; }
  double Min() const { return min_; }
  double Max() const { return max_; }
  double Step() const { return step_; }
  double Shape() const { return shape_; }
  double Default() const { return default_; }
  double DefaultNormalized() const { return ToNormalized(default_); }
  int DisplayPrecision() const { return displayPrecision_; }
  bool NegateDisplay() const { return negateDisplay_; }
  void SetNegateDisplay(bool negate) { negateDisplay_ = negate; }
  bool CanAutomate() const { return canAutomate_; }
  void SetCanAutomate(bool can) { canAutomate_ = can; }
  // The plug-in changes a range bound at reset (the high crossover follows the
  // sample rate). The stored value is left alone, so a session that goes
  // through a lower rate keeps its setting; reads clamp it.
  void SetMax(double maxValue);

 private:
  ParamType type_ = kParamNone;
  double value_ = 0.0;
  double min_ = 0.0;
  double max_ = 1.0;
  double step_ = 1.0;
  double shape_ = 1.0;
  double default_ = 0.0;
  int displayPrecision_ = 0;
  char name_[kTextSize] = {};
  char label_[kTextSize] = {};
  char group_[kTextSize] = {};
  bool negateDisplay_ = false;
  bool canAutomate_ = true;
  std::vector<DisplayText> displayTexts_;
};

// Bounded copy of a terminated text: at most size - 1 characters, always terminated.
void CopyText(char* dest, const char* src, int size);
