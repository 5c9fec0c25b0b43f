#include "Render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Velto.h"

OfflineVelto::OfflineVelto() : plugin_(CreatePlugin(IEffectOffline::InstanceInfo{})) {}
OfflineVelto::~OfflineVelto() = default;

std::string OfflineVelto::Name() { return plugin_->EffectName(); }
int OfflineVelto::NumParams() { return kNumParams; }

std::string OfflineVelto::ParamName(int idx) {
  const IEffectParam* p = plugin_->GetParam(idx);
  return p ? p->Name() : "";
}

std::string OfflineVelto::ParamDisplay(int idx) {
  const IEffectParam* p = plugin_->GetParam(idx);
  if (!p) return "";
  char text[IEffectParam::kTextSize];
  p->FormatValue(text);
  return text;
}

double OfflineVelto::GetParamNormalized(int idx) {
  IEffectLock lock(plugin_->Mutex());
  const IEffectParam* p = plugin_->GetParam(idx);
  return p ? p->ToNormalized() : 0.0;
}

void OfflineVelto::SetParamNormalized(int idx, double value) { plugin_->SetParameterNormalized(idx, value); }

int OfflineVelto::NumPresets() { return plugin_->NumPresets(); }
std::string OfflineVelto::PresetName(int idx) { return plugin_->PresetName(idx); }

bool OfflineVelto::SelectPreset(int idx) {
  IEffectLock lock(plugin_->Mutex());
  return plugin_->LoadPreset(idx);
}

bool OfflineVelto::Prepare(double sampleRate, int maxBlock, int channels, std::string* error) {
  if (!plugin_->SetChannels(channels)) {
    *error = "Velto takes one or two channels, not " + std::to_string(channels);
    return false;
  }
  plugin_->Prepare(sampleRate, maxBlock);
  return true;
}

void OfflineVelto::Process(const double* const* inputs, double* const* outputs, int frames) {
  // The framework never writes through input pointers.
  plugin_->Process(const_cast<double**>(inputs), const_cast<double**>(outputs), frames);
}

int OfflineVelto::FindParam(const std::string& name) {
  for (int i = 0; i < kNumParams; ++i)
    if (name == kVeltoParamNames[i] || name == plugin_->GetParam(i)->Name()) return i;
  return -1;
}

bool OfflineVelto::SetParamPlain(int idx, double value, bool* clamped) {
  const IEffectParam* p = plugin_->GetParam(idx);
  if (!p || !std::isfinite(value)) return false;
  *clamped = value < p->Min() || value > p->Max();
  return plugin_->SetParameterValue(idx, value);
}

ChannelLevels MeasureLevels(const std::vector<double>& samples) {
  ChannelLevels levels;
  double peak = 0.0, sum = 0.0;
  for (double s : samples) {
    peak = std::max(peak, std::fabs(s));
    sum += s * s;
  }
  if (peak > 0.0) levels.peakDb = 20.0 * std::log10(peak);
  if (!samples.empty() && sum > 0.0) levels.rmsDb = 10.0 * std::log10(sum / samples.size());
  return levels;
}

std::string FormatDb(double db) {
  if (!std::isfinite(db)) return "  -inf";
  char text[32];
  std::snprintf(text, sizeof text, "%6.1f", db);
  return text;
}

AudioBuffer RenderBuffer(HostedPlugin& plugin, const AudioBuffer& input, int block,
                         const std::function<void(double)>& progress) {
  AudioBuffer output;
  output.sampleRate = input.sampleRate;
  output.subtype = input.subtype;
  const int channels = static_cast<int>(input.channels.size());
  const int frames = input.Frames();
  output.channels.assign(channels, std::vector<double>(frames));
  const double* in[2] = {};
  double* out[2] = {};
  for (int start = 0; start < frames; start += block) {
    const int n = std::min(block, frames - start);
    for (int c = 0; c < channels; ++c) {
      in[c] = input.channels[c].data() + start;
      out[c] = output.channels[c].data() + start;
    }
    plugin.Process(in, out, n);
    if (progress) progress(static_cast<double>(start + n) / frames);
  }
  return output;
}
