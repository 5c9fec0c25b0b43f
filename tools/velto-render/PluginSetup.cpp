#include "PluginSetup.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "ParamValues.h"
#include "Velto.h"

namespace {
bool PresetListed(OfflineVelto* velto, int idx) {
  return !velto || velto->PresetIsFilled(idx);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

int FindPreset(HostedPlugin& fx, OfflineVelto* velto, const std::string& preset) {
  char* end = nullptr;
  const long n = std::strtol(preset.c_str(), &end, 10);
  if (!preset.empty() && *end == '\0')
    return n >= 0 && n < fx.NumPresets() && PresetListed(velto, static_cast<int>(n)) ? static_cast<int>(n) : -1;
  for (int i = 0; i < fx.NumPresets(); ++i)
    if (PresetListed(velto, i) && fx.PresetName(i) == preset) return i;
  for (int i = 0; i < fx.NumPresets(); ++i)
    if (PresetListed(velto, i) && Lower(fx.PresetName(i)) == Lower(preset)) return i;
  return -1;
}

bool ParseNumber(const std::string& text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && std::isfinite(*value);
}

std::string VeltoParamList(OfflineVelto& fx) {
  std::string names;
  for (int i = 0; i < fx.NumParams(); ++i) {
    names += i ? ", " : "";
    names += kVeltoParamNames[i] + std::string(" (\"") + fx.ParamName(i) + "\")";
  }
  return names;
}

SetupStatus SetVeltoParam(OfflineVelto& velto, const std::string& name, const std::string& text,
                          std::vector<std::string>* warnings, std::string* message) {
  const int idx = velto.FindParam(name);
  if (idx < 0) {
    *message = "unknown parameter \"" + name + "\"; valid names: " + VeltoParamList(velto);
    return SetupStatus::kUsage;
  }
  const IEffectParam* p = velto.Plugin().GetParam(idx);
  double value = 0.0;
  std::string why;
  if (!ParseParamValue(idx, *p, text, &value, &why)) {
    *message = "--set " + name + ": " + why;
    return SetupStatus::kUsage;
  }
  bool clamped = false;
  velto.SetParamPlain(idx, value, &clamped);
  if (clamped) {
    char text2[160];
    std::snprintf(text2, sizeof text2, "%s = %g is outside %g .. %g; using %g", kVeltoParamNames[idx], value,
                  p->Min(), p->Max(), p->Value());
    warnings->push_back(text2);
  }
  return SetupStatus::kOk;
}

SetupStatus SetModuleParam(HostedPlugin& fx, const std::string& name, const std::string& text,
                           std::vector<std::string>* warnings, std::string* message) {
  double value = 0.0;
  if (!ParseNumber(text, &value)) {
    *message = "--set " + name + ": \"" + text + "\" is not a number (a module takes normalised 0..1 values)";
    return SetupStatus::kUsage;
  }
  int idx = -1;
  char* end = nullptr;
  const long n = std::strtol(name.c_str(), &end, 10);
  if (*end == '\0' && n >= 0 && n < fx.NumParams()) idx = static_cast<int>(n);
  for (int i = 0; i < fx.NumParams() && idx < 0; ++i)
    if (fx.ParamName(i) == name) idx = i;
  if (idx < 0) {
    std::string names;
    for (int i = 0; i < fx.NumParams(); ++i) names += (i ? ", " : "") + fx.ParamName(i);
    *message = "unknown parameter \"" + name + "\"; valid names: " + names;
    return SetupStatus::kUsage;
  }
  if (value < 0.0 || value > 1.0) {
    char text2[160];
    std::snprintf(text2, sizeof text2, "%s = %g is outside 0 .. 1 (normalised); clamped", name.c_str(), value);
    warnings->push_back(text2);
    value = std::fmin(std::fmax(value, 0.0), 1.0);
  }
  fx.SetParamNormalized(idx, value);
  return SetupStatus::kOk;
}
}  // namespace

void ListParams(HostedPlugin& fx, OfflineVelto* velto) {
  if (!velto) {
    for (int i = 0; i < fx.NumParams(); ++i)
      std::printf("%3d  %-24s %s\n", i, fx.ParamName(i).c_str(), fx.ParamDisplay(i).c_str());
    return;
  }
  std::printf("%-5s %-13s %-19s %-16s %-8s %s\n", "index", "enum", "name", "range", "default", "unit or choices");
  for (int i = 0; i < velto->NumParams(); ++i) {
    const IEffectParam* p = velto->Plugin().GetParam(i);
    char range[64], def[32];
    std::snprintf(range, sizeof range, "%g .. %g", p->Min(), p->Max());
    std::snprintf(def, sizeof def, "%g", p->Default());
    const std::string choices = DescribeChoices(i, *p);
    std::printf("%-5d %-13s %-19s %-16s %-8s %s\n", i, kVeltoParamNames[i], p->Name(), range, def,
                choices.empty() ? p->Label() : choices.c_str());
  }
}

void ListPresets(HostedPlugin& fx, OfflineVelto* velto) {
  for (int i = 0; i < fx.NumPresets(); ++i)
    if (PresetListed(velto, i)) std::printf("%2d  %s\n", i, fx.PresetName(i).c_str());
}

SetupStatus ApplyPreset(HostedPlugin& fx, OfflineVelto* velto, const std::string& preset, std::string* message) {
  const int slot = FindPreset(fx, velto, preset);
  if (slot < 0) {
    std::string names;
    for (int i = 0; i < fx.NumPresets(); ++i)
      if (PresetListed(velto, i)) names += "\n  " + std::to_string(i) + "  " + fx.PresetName(i);
    *message = "unknown preset \"" + preset + "\"; the presets are:" + names;
    return SetupStatus::kUsage;
  }
  if (!fx.SelectPreset(slot)) {
    *message = "preset " + std::to_string(slot) + " could not be loaded";
    return SetupStatus::kFailure;
  }
  return SetupStatus::kOk;
}

SetupStatus ApplySettings(HostedPlugin& fx, OfflineVelto* velto,
                          const std::vector<std::pair<std::string, std::string>>& sets,
                          std::vector<std::string>* warnings, std::string* message) {
  for (const auto& [name, text] : sets) {
    const SetupStatus status = velto ? SetVeltoParam(*velto, name, text, warnings, message)
                                     : SetModuleParam(fx, name, text, warnings, message);
    if (status != SetupStatus::kOk) return status;
  }
  return SetupStatus::kOk;
}
