#pragma once
// Presets and parameter settings of velto-render, for the built-in plug-in
// (plain values, names, choices) and for a loaded module (normalised values,
// as a host sends them).

#include <string>
#include <utility>
#include <vector>

#include "Render.h"

enum class SetupStatus { kOk, kUsage, kFailure };

// velto is the built-in plug-in when fx is it, null for a module.
void ListParams(HostedPlugin& fx, OfflineVelto* velto);
// Only the slots that hold a preset; the unfilled ones of the built-in plug-in are left out.
void ListPresets(HostedPlugin& fx, OfflineVelto* velto);

// A preset by slot number or name (exact, then any case).
SetupStatus ApplyPreset(HostedPlugin& fx, OfflineVelto* velto, const std::string& preset, std::string* message);

// PARAM=VALUE settings in order. Values clamped into range are reported in *warnings.
SetupStatus ApplySettings(HostedPlugin& fx, OfflineVelto* velto,
                          const std::vector<std::pair<std::string, std::string>>& sets,
                          std::vector<std::string>* warnings, std::string* message);
