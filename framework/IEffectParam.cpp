#include "IEffectParam.h"

#include <cmath>
#include <cstdio>
#include <cstring>

void CopyText(char* dest, const char* src, int size) {
  if (!dest || size <= 0) return;
  int n = 0;
  if (src) {
    while (n < size - 1 && src[n]) {
      dest[n] = src[n];
      ++n;
    }
  }
  dest[n] = '\0';
}

void IEffectParam::DefineDouble(const char* name, double defaultValue, double minValue,
                                double maxValue, double step, const char* label, double shape) {
  if (type_ == kParamNone) type_ = kParamDouble;
  CopyText(name_, name, kTextSize);
  CopyText(label_, label, kTextSize);
  group_[0] = '\0';
  min_ = minValue;
  value_ = default_ = defaultValue;
  step_ = step;
  max_ = maxValue > minValue + step ? maxValue : minValue + step;

  // Digits after the point: as many as the step needs to become whole, at most 6.
  displayPrecision_ = 0;
  for (double s = step; displayPrecision_ < 6 && s != std::floor(s); s *= 10.0) ++displayPrecision_;

  if (shape != 0.0) shape_ = shape;
}

void IEffectParam::DefineInt(const char* name, int defaultValue, int minValue, int maxValue) {
  if (type_ == kParamNone) type_ = kParamInt;
  DefineDouble(name, defaultValue, minValue, maxValue, 1.0, "", 1.0);
}

void IEffectParam::DefineBool(const char* name, bool defaultValue) {
  if (type_ == kParamNone) type_ = kParamBool;
  DefineDouble(name, defaultValue ? 1.0 : 0.0, 0.0, 1.0, 1.0, "", 1.0);
  AddDisplayText(0, "off");
  AddDisplayText(1, "on");
}

void IEffectParam::SetShape(double shape) {
  if (shape != 0.0) shape_ = shape;
}

void IEffectParam::AddDisplayText(int value, const char* text) {
  DisplayText entry;
  entry.value = value;
  CopyText(entry.text, text, kTextSize);
  displayTexts_.push_back(entry);
}


double IEffectParam::DbToAmplitude() const { return std::exp(value_ * 0.1151292546497); }

void IEffectParam::SetValue(double v) {
  if (!std::isfinite(v)) v = default_;
  if (v < min_) v = min_;
  if (v > max_) v = max_;
  value_ = v;
}

void IEffectParam::SetMax(double maxValue) {
  if (std::isfinite(maxValue)) max_ = maxValue > min_ + step_ ? maxValue : min_ + step_;
}

double IEffectParam::FromNormalizedUnrounded(double x) const {
  return min_ + std::pow(x, shape_) * (max_ - min_);
}

void IEffectParam::SetFromNormalized(double x) {
  if (!std::isfinite(x)) return;
  if (x < 0.0) x = 0.0;
  double v = FromNormalizedUnrounded(x);
  if (type_ != kParamDouble) v = std::floor(v / step_ + 0.5) * step_;
  if (v > max_) v = max_;
  if (v < min_) v = min_;  // step rounding can land just below a min that is off the grid
  value_ = v;
}

double IEffectParam::ToNormalized(double plain) const {
  double v = plain;
  if (!(v >= min_)) v = min_;  // also maps NaN to the bottom of the range
  if (v > max_) v = max_;
  return std::pow((v - min_) / (max_ - min_), 1.0 / shape_);
}

namespace {
// Integer part toward zero without undefined behaviour for huge or NaN values.
int TruncatedInt(double v) {
  if (!(v > -2147483648.0 && v < 2147483648.0)) return 0;
  return static_cast<int>(v);
}
}  // namespace

int IEffectParam::AsInt() const { return TruncatedInt(value_); }

void IEffectParam::FormatValue(double v, bool isNormalized, char* out, bool useDisplayTexts) const {
  if (!out) return;
  if (isNormalized) v = FromNormalizedUnrounded(v);
  if (useDisplayTexts && !displayTexts_.empty()) {
    const char* text = DisplayTextFor(TruncatedInt(v));
    if (text[0]) {
      CopyText(out, text, kTextSize);
      return;
    }
  }
  if (negateDisplay_) v = -v;
  if (displayPrecision_ > 0)
    std::snprintf(out, kTextSize, "%.*f", displayPrecision_, v);
  else
    std::snprintf(out, kTextSize, "%d", TruncatedInt(v));
}

const char* IEffectParam::UnitLabel() const {
  return DisplayTextFor(TruncatedInt(value_))[0] ? "" : label_;
}

const char* IEffectParam::DisplayTextFor(int value) const {
  for (const DisplayText& entry : displayTexts_)
    if (entry.value == value) return entry.text;
  return "";
}

const DisplayText* IEffectParam::DisplayTextAt(int i) const {
  if (i < 0 || i >= DisplayTextCount()) return nullptr;
  return &displayTexts_[i];
}

bool IEffectParam::FindDisplayTextValue(const char* text, double* value) const {
  if (!text) return false;
  for (const DisplayText& entry : displayTexts_) {
    if (std::strcmp(entry.text, text) == 0) {
      if (value) *value = entry.value;
      return true;
    }
  }
  return false;
}
