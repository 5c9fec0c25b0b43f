// The extensions the CLAP binding offers: audio ports and their two
// configurations, parameters, state, latency and render mode.

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "IEffectCLAP.h"

#define VELTO_CLAP_MAIN_THREAD(self) assert((self)->OnMainThread())

namespace {
IEffectCLAP* Self(const clap_plugin_t* p) { return IEffectCLAP::FromClap(p); }

void CopyName(char* dest, const char* src, size_t size) {
  std::snprintf(dest, size, "%s", src ? src : "");
}

// The largest state this binding accepts; anything longer is not ours.
constexpr int kMaxStateBytes = 1 << 16;
}  // namespace

// ---------------------------------------------------------------------------
// Audio ports: one main input and one main output, stereo or (after the mono
// configuration is selected) mono, processed in place.

uint32_t IEffectCLAP::AudioPortCount(bool isInput) {
  VELTO_CLAP_MAIN_THREAD(this);
  return (isInput ? NumInputs() : NumOutputs()) > 0 ? 1 : 0;
}

bool IEffectCLAP::AudioPortInfo(uint32_t index, bool isInput, clap_audio_port_info_t* info) {
  VELTO_CLAP_MAIN_THREAD(this);
  if (!info || index != 0 || AudioPortCount(isInput) == 0) return false;
  IEffectLock lock(Mutex());
  info->id = 0;
  CopyName(info->name, isInput ? "Input" : "Output", sizeof(info->name));
  info->flags = CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS | CLAP_AUDIO_PORT_PREFERS_64BITS;
  info->channel_count = static_cast<uint32_t>(channels_);
  info->port_type = channels_ == 1 ? CLAP_PORT_MONO : CLAP_PORT_STEREO;
  info->in_place_pair = 0;
  return true;
}

uint32_t IEffectCLAP::PortConfigCount() {
  VELTO_CLAP_MAIN_THREAD(this);
  return (LegalIO(2, 2) ? 1u : 0u) + (LegalIO(1, 1) ? 1u : 0u);
}

bool IEffectCLAP::PortConfig(uint32_t index, clap_audio_ports_config_t* config) {
  VELTO_CLAP_MAIN_THREAD(this);
  if (!config || index >= PortConfigCount()) return false;
  const bool stereo = index == 0 && LegalIO(2, 2);
  const uint32_t channels = stereo ? 2 : 1;
  config->id = stereo ? kStereoConfigId : kMonoConfigId;
  CopyName(config->name, stereo ? "Stereo" : "Mono", sizeof(config->name));
  config->input_port_count = 1;
  config->output_port_count = 1;
  config->has_main_input = true;
  config->main_input_channel_count = channels;
  config->main_input_port_type = stereo ? CLAP_PORT_STEREO : CLAP_PORT_MONO;
  config->has_main_output = true;
  config->main_output_channel_count = channels;
  config->main_output_port_type = stereo ? CLAP_PORT_STEREO : CLAP_PORT_MONO;
  return true;
}

bool IEffectCLAP::SelectPortConfig(clap_id configId) {
  VELTO_CLAP_MAIN_THREAD(this);
  IEffectLock lock(Mutex());
  const int channels = configId == kStereoConfigId ? 2 : configId == kMonoConfigId ? 1 : 0;
  // Only while deactivated, and only a configuration the plug-in offers.
  if (active_ || channels == 0 || !LegalIO(channels, channels)) return false;
  channels_ = channels;
  return true;
}

// ---------------------------------------------------------------------------
// Parameters: CLAP id = framework index; plain values in the parameter's unit.

IEffectParam* IEffectCLAP::ParamById(clap_id id) {
  if (id >= static_cast<clap_id>(NumParams())) return nullptr;
  IEffectParam* p = GetParam(static_cast<int>(id));
  return p && p->Type() != kParamNone ? p : nullptr;
}

bool IEffectCLAP::SetParamPlain(int idx, double value) {
  IEffectParam* param = GetParam(idx);
  if (!param || !std::isfinite(value)) return false;
  if (param->Type() != kParamDouble) {
    const double clamped = std::clamp(value, param->Min(), param->Max());
    value = std::floor(clamped / param->Step() + 0.5) * param->Step();
  }
  param->SetValue(value);
  return true;
}

uint32_t IEffectCLAP::ParamCount() {
  VELTO_CLAP_MAIN_THREAD(this);
  uint32_t n = 0;
  for (int i = 0; i < NumParams(); ++i)
    if (ParamById(static_cast<clap_id>(i))) ++n;
  return n;
}

bool IEffectCLAP::ParamInfo(uint32_t index, clap_param_info_t* info) {
  VELTO_CLAP_MAIN_THREAD(this);
  if (!info) return false;
  IEffectLock lock(Mutex());
  uint32_t seen = 0;
  for (int i = 0; i < NumParams(); ++i) {
    const IEffectParam* p = ParamById(static_cast<clap_id>(i));
    if (!p || seen++ != index) continue;
    std::memset(info, 0, sizeof(*info));
    info->id = static_cast<clap_id>(i);
    info->flags = p->CanAutomate() ? CLAP_PARAM_IS_AUTOMATABLE : 0;
    if (p->Type() != kParamDouble) info->flags |= CLAP_PARAM_IS_STEPPED;
    if ((p->Type() == kParamBool || p->Type() == kParamEnum) && p->DisplayTextCount() > 0)
      info->flags |= CLAP_PARAM_IS_ENUM;
    info->cookie = nullptr;
    CopyName(info->name, p->Name(), sizeof(info->name));
    CopyName(info->module, p->Group(), sizeof(info->module));
    info->min_value = p->Min();
    info->max_value = p->Max();
    if (i < static_cast<int>(reportedMax_.size())) reportedMax_[i] = p->Max();
    info->default_value = std::clamp(p->Default(), p->Min(), p->Max());
    return true;
  }
  return false;
}

bool IEffectCLAP::ParamValue(clap_id id, double* value) {
  VELTO_CLAP_MAIN_THREAD(this);
  IEffectLock lock(Mutex());
  const IEffectParam* p = ParamById(id);
  if (!p || !value) return false;
  *value = p->Value();
  return true;
}

// The framework's display text, with the unit after a space when the value
// has no text of its own.
bool IEffectCLAP::ValueToText(clap_id id, double value, char* text, uint32_t capacity) {
  VELTO_CLAP_MAIN_THREAD(this);
  IEffectLock lock(Mutex());
  const IEffectParam* p = ParamById(id);
  if (!p || !text || capacity == 0 || !std::isfinite(value)) return false;
  char shown[IEffectParam::kTextSize] = {};
  p->FormatValue(value, false, shown);
  // Only values inside int range can have a text of their own.
  const bool named = p->DisplayTextCount() > 0 && std::fabs(value) < 2147483647.0 &&
                     std::strcmp(shown, p->DisplayTextFor(static_cast<int>(value))) == 0;
  if (named || !p->Label()[0])
    std::snprintf(text, capacity, "%s", shown);
  else
    std::snprintf(text, capacity, "%s %s", shown, p->Label());
  return true;
}

// A display text of the parameter, or a number (a unit after it is allowed);
// the result is clamped to the range.
bool IEffectCLAP::TextToValue(clap_id id, const char* text, double* value) {
  VELTO_CLAP_MAIN_THREAD(this);
  IEffectLock lock(Mutex());
  const IEffectParam* p = ParamById(id);
  if (!p || !text || !value) return false;
  double v = 0.0;
  if (!p->FindDisplayTextValue(text, &v)) {
    char* end = nullptr;
    v = std::strtod(text, &end);
    if (end == text || !std::isfinite(v)) return false;
    while (*end == ' ') ++end;
    if (*end && std::strcmp(end, p->Label()) != 0) return false;
    if (p->NegateDisplay()) v = -v;
  }
  *value = std::clamp(v, p->Min(), p->Max());
  return true;
}

void IEffectCLAP::Flush(const clap_input_events_t* in, const clap_output_events_t* out) {
  IEffectLock lock(Mutex());
  const uint32_t count = in && in->size ? in->size(in) : 0;
  for (uint32_t i = 0; i < count; ++i) ApplyEvent(in->get ? in->get(in, i) : nullptr);
  SendQueuedEvents(out);
}

// ---------------------------------------------------------------------------
// State: the framework's state header (magic, layout version), then the
// VST3 state layout: the parameter block and a 32-bit word that the VST3
// binding uses for its host bypass. The CLAP binding has no host bypass and
// writes 0 there.

bool IEffectCLAP::SaveStateTo(const clap_ostream_t* stream) {
  VELTO_CLAP_MAIN_THREAD(this);
  if (!stream || !stream->write) return false;
  StateChunk chunk;
  {
    IEffectLock lock(Mutex());
    WriteChunkHeader(chunk);
    StateChunk params;
    if (!SaveState(params)) return false;
    chunk.PutChunk(params);
    chunk.PutInt32(0);
  }
  const uint8_t* data = chunk.Data();
  int64_t left = chunk.Size();
  while (left > 0) {
    const int64_t n = stream->write(stream, data, static_cast<uint64_t>(left));
    if (n <= 0 || n > left) return false;
    data += n;
    left -= n;
  }
  return true;
}

bool IEffectCLAP::LoadStateFrom(const clap_istream_t* stream) {
  VELTO_CLAP_MAIN_THREAD(this);
  if (!stream || !stream->read) return false;
  // The whole stream first, however it splits its reads; nothing is applied
  // until every byte has been checked.
  std::vector<uint8_t> bytes;
  uint8_t piece[4096];
  for (;;) {
    const int64_t n = stream->read(stream, piece, sizeof(piece));
    if (n < 0 || n > static_cast<int64_t>(sizeof(piece))) return false;
    if (n == 0) break;
    if (bytes.size() + static_cast<size_t>(n) > static_cast<size_t>(kMaxStateBytes)) return false;
    bytes.insert(bytes.end(), piece, piece + n);
  }
  IEffectLock lock(Mutex());
  StateChunk current;
  if (!SaveState(current)) return false;
  const int blockSize = current.Size();
  StateChunk chunk;
  chunk.Assign(bytes.data(), static_cast<int>(bytes.size()));
  int pos = 0;
  const int version = ReadChunkHeader(chunk, &pos);
  if (pos != 8 || version != kClapStateVersion) return false;
  if (chunk.Size() != 8 + blockSize + 4) return false;
  // A value that is not a number marks a damaged state, not a setting.
  for (int at = 8; at + 8 <= 8 + blockSize; at += 8) {
    double v = 0.0;
    chunk.GetDouble(&v, at);
    if (!std::isfinite(v)) return false;
  }
  if (LoadState(chunk, 8) < 0) return false;
  RefreshParamControls();
  return true;
}

// ---------------------------------------------------------------------------
// Extension tables

const void* IEffectCLAP::GetExtension(const char* id) {
  if (!id) return nullptr;
  static const clap_plugin_audio_ports_t ports = {
      [](const clap_plugin_t* p, bool isInput) { return Self(p)->AudioPortCount(isInput); },
      [](const clap_plugin_t* p, uint32_t index, bool isInput, clap_audio_port_info_t* info) {
        return Self(p)->AudioPortInfo(index, isInput, info);
      }};
  static const clap_plugin_audio_ports_config_t configs = {
      [](const clap_plugin_t* p) { return Self(p)->PortConfigCount(); },
      [](const clap_plugin_t* p, uint32_t index, clap_audio_ports_config_t* config) {
        return Self(p)->PortConfig(index, config);
      },
      [](const clap_plugin_t* p, clap_id configId) { return Self(p)->SelectPortConfig(configId); }};
  static const clap_plugin_params_t params = {
      [](const clap_plugin_t* p) { return Self(p)->ParamCount(); },
      [](const clap_plugin_t* p, uint32_t index, clap_param_info_t* info) { return Self(p)->ParamInfo(index, info); },
      [](const clap_plugin_t* p, clap_id id, double* value) { return Self(p)->ParamValue(id, value); },
      [](const clap_plugin_t* p, clap_id id, double value, char* text, uint32_t capacity) {
        return Self(p)->ValueToText(id, value, text, capacity);
      },
      [](const clap_plugin_t* p, clap_id id, const char* text, double* value) {
        return Self(p)->TextToValue(id, text, value);
      },
      [](const clap_plugin_t* p, const clap_input_events_t* in, const clap_output_events_t* out) {
        Self(p)->Flush(in, out);
      }};
  static const clap_plugin_state_t state = {
      [](const clap_plugin_t* p, const clap_ostream_t* stream) { return Self(p)->SaveStateTo(stream); },
      [](const clap_plugin_t* p, const clap_istream_t* stream) { return Self(p)->LoadStateFrom(stream); }};
  static const clap_plugin_latency_t latency = {[](const clap_plugin_t* p) {
    IEffectCLAP* self = Self(p);
    VELTO_CLAP_MAIN_THREAD(self);
    return static_cast<uint32_t>(self->GetLatency());
  }};
  static const clap_plugin_render_t render = {
      [](const clap_plugin_t*) { return false; },
      [](const clap_plugin_t* p, clap_plugin_render_mode mode) {
        if (mode != CLAP_RENDER_REALTIME && mode != CLAP_RENDER_OFFLINE) return false;
        Self(p)->offline_.store(mode == CLAP_RENDER_OFFLINE, std::memory_order_relaxed);
        return true;
      }};

  if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0) return &ports;
  if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS_CONFIG) == 0) return &configs;
  if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &params;
  if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &state;
  if (std::strcmp(id, CLAP_EXT_LATENCY) == 0) return &latency;
  if (std::strcmp(id, CLAP_EXT_RENDER) == 0) return &render;
  return nullptr;
}
