#include "Vst3Parameters.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace vst3;

namespace {
double Clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }
}  // namespace

bool ParseUtf16Number(const TChar* text, double* value) {
  if (!text || !value) return false;
  char ascii[128];
  CopyToAscii(ascii, text, sizeof(ascii));
  char* end = nullptr;
  const double v = std::strtod(ascii, &end);
  if (end == ascii || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

Vst3Parameter::Vst3Parameter(const char* title, ParamID id, const char* units, int32 stepCount,
                             double defaultNormalized, int32 flags, UnitID unitId) {
  info_.id = id;
  CopyToUtf16(info_.title, title, 128);
  CopyToUtf16(info_.shortTitle, "", 128);
  CopyToUtf16(info_.units, units, 128);
  info_.stepCount = stepCount;
  info_.defaultNormalizedValue = defaultNormalized;
  info_.unitId = unitId;
  info_.flags = flags;
  value_ = defaultNormalized;
}

void Vst3Parameter::SetNormalized(double value) {
  if (std::isfinite(value)) value_ = Clamp01(value);
}

bool Vst3Parameter::FromString(const TChar* text, double* normalized) const {
  double v = 0.0;
  if (!normalized || !ParseUtf16Number(text, &v)) return false;
  // With steps the text is the step index, otherwise the normalised value itself.
  *normalized = info_.stepCount > 0 ? Clamp01(std::floor(v + 0.5) / info_.stepCount) : Clamp01(v);
  return true;
}

Vst3RangeParameter::Vst3RangeParameter(const char* title, ParamID id, const char* units, double minPlain,
                                       double maxPlain, double defaultPlain, int32 flags, UnitID unitId,
                                       double shape)
    : Vst3Parameter(title, id, units, 0, 0.0, flags, unitId),
      min_(minPlain),
      max_(maxPlain),
      shape_(shape > 0.0 && std::isfinite(shape) ? shape : 1.0) {
  info_.defaultNormalizedValue = ToNormalized(defaultPlain);
  value_ = info_.defaultNormalizedValue;
}

double Vst3RangeParameter::ToPlain(double normalized) const {
  return min_ + std::pow(Clamp01(normalized), shape_) * (max_ - min_);
}

double Vst3RangeParameter::ToNormalized(double plain) const {
  if (!(max_ > min_)) return 0.0;
  return std::pow(Clamp01((plain - min_) / (max_ - min_)), 1.0 / shape_);
}

bool Vst3RangeParameter::FromString(const TChar* text, double* normalized) const {
  double plain = 0.0;
  if (!normalized || !ParseUtf16Number(text, &plain)) return false;
  *normalized = ToNormalized(plain);
  return true;
}

Vst3StringListParameter::Vst3StringListParameter(const char* title, ParamID id, const char* units,
                                                 int32 flags, UnitID unitId)
    : Vst3Parameter(title, id, units, -1, 0.0, flags | ParameterInfo::kIsList, unitId) {}

void Vst3StringListParameter::AppendString(const char* text) {
  strings_.emplace_back(text ? text : "");
  info_.stepCount = static_cast<int32>(strings_.size()) - 1;
}

void Vst3StringListParameter::SetDefaultIndex(int index) {
  info_.defaultNormalizedValue = ToNormalized(index);
  value_ = info_.defaultNormalizedValue;
}

double Vst3StringListParameter::ToPlain(double normalized) const {
  if (info_.stepCount <= 0) return 0.0;
  return std::floor(Clamp01(normalized) * info_.stepCount + 0.5);
}

double Vst3StringListParameter::ToNormalized(double plain) const {
  if (info_.stepCount <= 0) return 0.0;
  return Clamp01(plain / info_.stepCount);
}

bool Vst3StringListParameter::FromString(const TChar* text, double* normalized) const {
  if (!text || !normalized) return false;
  char ascii[128];
  CopyToAscii(ascii, text, sizeof(ascii));
  for (int i = 0; i < EntryCount(); ++i) {
    if (strings_[i] == ascii) {
      *normalized = ToNormalized(i);
      return true;
    }
  }
  return false;
}

Vst3Parameter* Vst3ParameterContainer::Add(std::unique_ptr<Vst3Parameter> param) {
  params_.push_back(std::move(param));
  return params_.back().get();
}

Vst3Parameter* Vst3ParameterContainer::At(int index) const {
  return index >= 0 && index < Count() ? params_[index].get() : nullptr;
}

Vst3Parameter* Vst3ParameterContainer::Find(ParamID id) const {
  for (const auto& p : params_)
    if (p->Id() == id) return p.get();
  return nullptr;
}
