#pragma once
// Parameter objects as a VST 3 host sees them: the ParameterInfo record plus
// the conversion between normalised values, plain values and text.
//
// Three kinds, told apart by how they map the normalised 0..1 range:
//   Vst3Parameter            plain = normalised; text is a number (an integer
//                            step index when the parameter has steps)
//   Vst3RangeParameter       plain = min + normalised^shape x (max - min); shape 1
//                            is the plain linear range
//   Vst3StringListParameter  plain = index of an entry, normalised = index / stepCount
// The container answers lookups by position and by identifier.
// All objects are built by initialize and cleared by terminate. [ui thread]

#include <memory>
#include <string>
#include <vector>

#include "Vst3Interfaces.h"

class Vst3Parameter {
 public:
  Vst3Parameter(const char* title, vst3::ParamID id, const char* units, vst3::int32 stepCount,
                double defaultNormalized, vst3::int32 flags, vst3::UnitID unitId);
  virtual ~Vst3Parameter() = default;

  const vst3::ParameterInfo& Info() const { return info_; }
  vst3::ParamID Id() const { return info_.id; }

  virtual double ToPlain(double normalized) const { return normalized; }
  virtual double ToNormalized(double plain) const { return plain; }
  // Parses text given in the parameter's own terms; false when it does not parse.
  virtual bool FromString(const vst3::TChar* text, double* normalized) const;

  // The value the controller keeps for the host, limited to 0..1; values that
  // are not finite are ignored.
  double Normalized() const { return value_; }
  void SetNormalized(double value);

 protected:
  vst3::ParameterInfo info_{};
  double value_ = 0.0;
};

class Vst3RangeParameter : public Vst3Parameter {
 public:
  Vst3RangeParameter(const char* title, vst3::ParamID id, const char* units, double minPlain,
                     double maxPlain, double defaultPlain, vst3::int32 flags, vst3::UnitID unitId,
                     double shape = 1.0);
  double ToPlain(double normalized) const override;
  double ToNormalized(double plain) const override;
  bool FromString(const vst3::TChar* text, double* normalized) const override;
  // Follows a range the plug-in moved (High Freq ends at half the sample
  // rate), so that both conversions and the text parser use the live range.
  void SetRange(double minPlain, double maxPlain) {
    min_ = minPlain;
    max_ = maxPlain;
  }
  void SetPrecision(int digits) { precision_ = digits; }
  int Precision() const { return precision_; }

 private:
  double min_;
  double max_;
  double shape_;
  int precision_ = 4;
};

class Vst3StringListParameter : public Vst3Parameter {
 public:
  Vst3StringListParameter(const char* title, vst3::ParamID id, const char* units, vst3::int32 flags,
                          vst3::UnitID unitId);
  // Each entry adds one step.
  void AppendString(const char* text);
  // Default entry; the host's default normalised value follows it.
  void SetDefaultIndex(int index);
  int EntryCount() const { return static_cast<int>(strings_.size()); }
  double ToPlain(double normalized) const override;
  double ToNormalized(double plain) const override;
  bool FromString(const vst3::TChar* text, double* normalized) const override;

 private:
  std::vector<std::string> strings_;
};

class Vst3ParameterContainer {
 public:
  Vst3Parameter* Add(std::unique_ptr<Vst3Parameter> param);
  int Count() const { return static_cast<int>(params_.size()); }
  Vst3Parameter* At(int index) const;
  Vst3Parameter* Find(vst3::ParamID id) const;
  void Clear() { params_.clear(); }

 private:
  std::vector<std::unique_ptr<Vst3Parameter>> params_;
};

// Reads a number from a UTF-16 text (ASCII digits, sign, point, exponent).
bool ParseUtf16Number(const vst3::TChar* text, double* value);
