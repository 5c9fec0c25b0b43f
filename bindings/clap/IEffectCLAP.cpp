#include "IEffectCLAP.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

#include "ClapDescriptor.h"

// Debug builds stop at a call on the wrong thread; release builds trust the host.
#define VELTO_CLAP_MAIN_THREAD(self) assert((self)->OnMainThread())
#define VELTO_CLAP_AUDIO_THREAD(self) assert((self)->OnAudioThread())

namespace {
IEffectCLAP* Self(const clap_plugin_t* p) { return IEffectCLAP::FromClap(p); }
}  // namespace

IEffectCLAP* IEffectCLAP::FromClap(const clap_plugin_t* plugin) {
  return plugin ? static_cast<IEffectCLAP*>(plugin->plugin_data) : nullptr;
}

IEffectCLAP::IEffectCLAP(InstanceInfo info, int paramCount, const char* channelIOString, int presetCount,
                         const char* effectName, const char* productName, const char* makerName, int version,
                         int uniqueId, int makerId, int latency)
    : IEffectBase(paramCount, channelIOString, presetCount, effectName, productName, makerName, version,
                  uniqueId, makerId, latency, /*api*/ 3),
      host_(info.host),
      outgoing_(paramCount + 1) {
  SetInputConnections(0, NumInputs(), true);
  SetOutputConnections(0, NumOutputs(), true);
  if (NumInputs() > 0) CreateDelayLine();
  in64_.resize(NumInputs());
  in32_.resize(NumInputs());
  out64_.resize(NumOutputs());
  out32_.resize(NumOutputs());
  reportedMax_.assign(paramCount, std::nan(""));

  plugin_.desc = VeltoClapDescriptor();
  plugin_.plugin_data = this;
  plugin_.init = [](const clap_plugin_t* p) { return Self(p)->Init(); };
  plugin_.destroy = [](const clap_plugin_t* p) {
    IEffectCLAP* self = Self(p);
    VELTO_CLAP_MAIN_THREAD(self);
    if (self->active_) self->DoDeactivate();
    delete self;
  };
  plugin_.activate = [](const clap_plugin_t* p, double rate, uint32_t minFrames, uint32_t maxFrames) {
    return Self(p)->DoActivate(rate, minFrames, maxFrames);
  };
  plugin_.deactivate = [](const clap_plugin_t* p) { Self(p)->DoDeactivate(); };
  plugin_.start_processing = [](const clap_plugin_t* p) { return Self(p)->StartProcessing(); };
  plugin_.stop_processing = [](const clap_plugin_t* p) { Self(p)->StopProcessing(); };
  plugin_.reset = [](const clap_plugin_t* p) { Self(p)->DoReset(); };
  plugin_.process = [](const clap_plugin_t* p, const clap_process_t* process) {
    return Self(p)->Process(process);
  };
  plugin_.get_extension = [](const clap_plugin_t* p, const char* id) { return Self(p)->GetExtension(id); };
  plugin_.on_main_thread = [](const clap_plugin_t*) {};
}

IEffectCLAP::~IEffectCLAP() { DestroyEditor(); }

bool IEffectCLAP::OnMainThread() const {
  return !hostThreads_ || !hostThreads_->is_main_thread || hostThreads_->is_main_thread(host_);
}

bool IEffectCLAP::OnAudioThread() const {
  return !hostThreads_ || !hostThreads_->is_audio_thread || hostThreads_->is_audio_thread(host_);
}

// ---------------------------------------------------------------------------
// Life cycle

bool IEffectCLAP::Init() {
  if (initialized_ || !host_) return false;
  // The host's extensions are asked for once; any of them may be missing.
  if (host_->get_extension) {
    hostThreads_ = static_cast<const clap_host_thread_check_t*>(host_->get_extension(host_, CLAP_EXT_THREAD_CHECK));
    hostParams_ = static_cast<const clap_host_params_t*>(host_->get_extension(host_, CLAP_EXT_PARAMS));
    hostLatency_ = static_cast<const clap_host_latency_t*>(host_->get_extension(host_, CLAP_EXT_LATENCY));
  }
  VELTO_CLAP_MAIN_THREAD(this);
  initialized_ = true;
  char name[128] = {};
  if (host_->name) CopyText(name, host_->name, sizeof(name));
  SetHost(name, 0);
  IEffectLock lock(Mutex());
  OnHostKnown();
  // As the VST3 binding's initialize: preset 0 sets every derived value.
  if (NumPresets() > 0) LoadPreset(0);
  return true;
}

bool IEffectCLAP::DoActivate(double sampleRate, uint32_t, uint32_t maxFrames) {
  VELTO_CLAP_MAIN_THREAD(this);
  if (!initialized_ || active_ || !std::isfinite(sampleRate) || sampleRate <= 0.0 || maxFrames == 0) return false;
  IEffectLock lock(Mutex());
  inActivate_ = true;
  SetSampleRate(sampleRate);
  SetBlockSize(static_cast<int>(std::min<uint32_t>(maxFrames, kMaxBlockSize)));
  Reset();
  Activate(true);
  inActivate_ = false;
  active_ = true;
  return true;
}

void IEffectCLAP::DoDeactivate() {
  VELTO_CLAP_MAIN_THREAD(this);
  IEffectLock lock(Mutex());
  if (!active_) return;
  active_ = false;
  processing_ = false;
  Activate(false);
  RescanMovedRanges();
}

void IEffectCLAP::RescanMovedRanges() {
  bool moved = false;
  for (int i = 0; i < NumParams() && i < static_cast<int>(reportedMax_.size()); ++i)
    moved = moved || (!std::isnan(reportedMax_[i]) && reportedMax_[i] != GetParam(i)->Max());
  if (!moved || !hostParams_ || !hostParams_->rescan) return;
  for (double& m : reportedMax_) m = std::nan("");
  hostParams_->rescan(host_, CLAP_PARAM_RESCAN_ALL);
}

bool IEffectCLAP::StartProcessing() {
  VELTO_CLAP_AUDIO_THREAD(this);
  IEffectLock lock(Mutex());
  if (!active_) return false;
  processing_ = true;
  return true;
}

void IEffectCLAP::StopProcessing() {
  VELTO_CLAP_AUDIO_THREAD(this);
  IEffectLock lock(Mutex());
  processing_ = false;
}

void IEffectCLAP::DoReset() {
  VELTO_CLAP_AUDIO_THREAD(this);
  IEffectLock lock(Mutex());
  if (active_) Reset();
}

// ---------------------------------------------------------------------------
// Processing

// Binds the host's channels to the framework's. A channel beyond the host's
// count, or whose pointer is null, reads or writes its own scratch buffer.
void IEffectCLAP::ConnectChannels(const clap_process_t* process) {
  const clap_audio_buffer_t* in = process->audio_inputs_count > 0 ? process->audio_inputs : nullptr;
  const clap_audio_buffer_t* out = process->audio_outputs_count > 0 ? process->audio_outputs : nullptr;
  for (int c = 0; c < NumInputs(); ++c) {
    const bool present = in && c < static_cast<int>(in->channel_count) && c < channels_ &&
                         ((in->data64 && in->data64[c]) || (!in->data64 && in->data32 && in->data32[c]));
    SetInputConnections(c, 1, present);
  }
  for (int c = 0; c < NumOutputs(); ++c) {
    const bool present = out && c < static_cast<int>(out->channel_count) && c < channels_ &&
                         ((out->data64 && out->data64[c]) || (!out->data64 && out->data32 && out->data32[c]));
    SetOutputConnections(c, 1, present);
  }
}

// Runs frames samples starting at offset of the host block. Each side uses
// the host's 64-bit buffers when it has them and its 32-bit ones otherwise.
void IEffectCLAP::RunPiece(const clap_process_t* process, uint32_t offset, uint32_t frames) {
  if (frames == 0) return;
  const clap_audio_buffer_t* in = process->audio_inputs_count > 0 ? process->audio_inputs : nullptr;
  const clap_audio_buffer_t* out = process->audio_outputs_count > 0 ? process->audio_outputs : nullptr;
  int nIn = 0;
  for (int c = 0; c < NumInputs(); ++c) {
    if (!IsInputConnected(c)) continue;
    if (in->data64)
      in64_[nIn++] = in->data64[c] + offset;
    else
      in32_[nIn++] = in->data32[c] + offset;
  }
  if (nIn > 0) {
    if (in->data64)
      AttachInputs(0, NumInputs(), in64_.data());
    else
      AttachInputs(0, NumInputs(), in32_.data(), static_cast<int>(frames));
  }
  int nOut = 0;
  for (int c = 0; c < NumOutputs(); ++c) {
    if (!IsOutputConnected(c)) continue;
    if (out->data64)
      out64_[nOut++] = out->data64[c] + offset;
    else
      out32_[nOut++] = out->data32[c] + offset;
  }
  const bool out64 = nOut == 0 || out->data64;
  if (nOut > 0) {
    if (out64)
      AttachOutputs(0, NumOutputs(), out64_.data());
    else
      AttachOutputs(0, NumOutputs(), out32_.data());
  }
  if (out64)
    RunBlock(static_cast<int>(frames));
  else
    RunBlockReplacing32(static_cast<int>(frames));
}

void IEffectCLAP::ApplyEvent(const clap_event_header_t* event) {
  if (!event || event->space_id != CLAP_CORE_EVENT_SPACE_ID) return;
  if (event->type != CLAP_EVENT_PARAM_VALUE || event->size < sizeof(clap_event_param_value_t)) return;
  const auto* value = reinterpret_cast<const clap_event_param_value_t*>(event);
  IEffectParam* param = ParamById(value->param_id);
  if (!param) return;
  const int idx = static_cast<int>(value->param_id);
  if (!SetParamPlain(idx, value->value)) return;
  if (IEditorLink* gui = GetGUI()) gui->ShowParameterValue(idx, param->Value(), false);
  ParamChanged(idx);
}

clap_process_status IEffectCLAP::Process(const clap_process_t* process) {
  VELTO_CLAP_AUDIO_THREAD(this);
  if (!process) return CLAP_PROCESS_ERROR;
  IEffectLock lock(Mutex());
  if (!active_) return CLAP_PROCESS_ERROR;
  hasTransport_ = process->transport != nullptr;
  if (process->transport) transport_ = *process->transport;
  SendQueuedEvents(process->out_events);

  const uint32_t frames = std::min<uint32_t>(process->frames_count, 1u << 30);
  ConnectChannels(process);
  if (process->audio_outputs_count > 0 && process->audio_outputs) process->audio_outputs[0].constant_mask = 0;

  // The block is split at every parameter event; a piece ends where the next
  // event takes effect. Events out of order take effect where the block stands.
  uint32_t done = 0;
  const clap_input_events_t* events = process->in_events;
  const uint32_t count = events && events->size ? events->size(events) : 0;
  for (uint32_t i = 0; i < count; ++i) {
    const clap_event_header_t* event = events->get ? events->get(events, i) : nullptr;
    if (!event) continue;
    const uint32_t at = std::min(event->time, frames);
    if (at > done) {
      RunPiece(process, done, at - done);
      done = at;
    }
    ApplyEvent(event);
  }
  RunPiece(process, done, frames - done);
  return CLAP_PROCESS_CONTINUE;
}

void IEffectCLAP::SendQueuedEvents(const clap_output_events_t* out) {
  if (!out || !out->try_push) return;
  int sent = 0;
  for (; sent < outgoing_.Size(); ++sent) {
    const ClapEventQueue::Entry& e = outgoing_.At(sent);
    bool ok = false;
    if (e.kind == ClapEventQueue::Kind::kValue) {
      clap_event_param_value_t ev{};
      ev.header = {sizeof(ev), 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
      ev.param_id = e.param;
      ev.note_id = -1;
      ev.port_index = -1;
      ev.channel = -1;
      ev.key = -1;
      ev.value = e.value;
      ok = out->try_push(out, &ev.header);
    } else {
      clap_event_param_gesture_t ev{};
      const uint16_t type =
          e.kind == ClapEventQueue::Kind::kBegin ? CLAP_EVENT_PARAM_GESTURE_BEGIN : CLAP_EVENT_PARAM_GESTURE_END;
      ev.header = {sizeof(ev), 0, CLAP_CORE_EVENT_SPACE_ID, type, 0};
      ev.param_id = e.param;
      ok = out->try_push(out, &ev.header);
    }
    if (!ok) break;  // the rest waits for the next delivery
  }
  outgoing_.Consume(sent);
}

// ---------------------------------------------------------------------------
// Framework operations towards the host

void IEffectCLAP::BeginParamEdit(int paramIdx) {
  if (!ParamById(static_cast<clap_id>(paramIdx))) return;
  {
    IEffectLock lock(Mutex());
    outgoing_.Push(ClapEventQueue::Kind::kBegin, static_cast<uint32_t>(paramIdx));
  }
  RequestFlush();
}

// The framework hands the normalised value; the host hears the plain value
// the parameter now holds (SetParamFromEditor stores it before this call).
void IEffectCLAP::SendParamToHost(int paramIdx, double) {
  IEffectParam* param = ParamById(static_cast<clap_id>(paramIdx));
  if (!param) return;
  {
    IEffectLock lock(Mutex());
    outgoing_.Push(ClapEventQueue::Kind::kValue, static_cast<uint32_t>(paramIdx), param->Value());
  }
  RequestFlush();
}

void IEffectCLAP::EndParamEdit(int paramIdx) {
  if (!ParamById(static_cast<clap_id>(paramIdx))) return;
  {
    IEffectLock lock(Mutex());
    outgoing_.Push(ClapEventQueue::Kind::kEnd, static_cast<uint32_t>(paramIdx));
  }
  RequestFlush();
}

void IEffectCLAP::RequestFlush() {
  // While processing the next block carries the events; otherwise the host
  // is asked for a flush.
  bool processing = false;
  {
    IEffectLock lock(Mutex());
    processing = processing_;
  }
  if (!processing && hostParams_ && hostParams_->request_flush) hostParams_->request_flush(host_);
}

int IEffectCLAP::SamplePosition() {
  if (!hasTransport_ || !(transport_.flags & CLAP_TRANSPORT_HAS_SECONDS_TIMELINE)) return 0;
  const double seconds = static_cast<double>(transport_.song_pos_seconds) / CLAP_SECTIME_FACTOR;
  const double pos = seconds * GetSampleRate();
  return pos > 0.0 && pos < 2147483647.0 ? static_cast<int>(pos) : 0;
}

double IEffectCLAP::Tempo() {
  return hasTransport_ && (transport_.flags & CLAP_TRANSPORT_HAS_TEMPO) ? transport_.tempo : 0.0;
}

void IEffectCLAP::TimeSignature(int* numerator, int* denominator) {
  const bool known = hasTransport_ && (transport_.flags & CLAP_TRANSPORT_HAS_TIME_SIGNATURE);
  if (numerator) *numerator = known ? transport_.tsig_num : 4;
  if (denominator) *denominator = known ? transport_.tsig_denom : 4;
}

void IEffectCLAP::TransportTime(ITimeInfo* info) {
  if (!info) return;
  *info = ITimeInfo{};
  if (!hasTransport_) return;
  const clap_event_transport_t& t = transport_;
  const double beat = static_cast<double>(CLAP_BEATTIME_FACTOR);
  info->tempo = Tempo();
  info->samplePos = SamplePosition();
  if (t.flags & CLAP_TRANSPORT_HAS_BEATS_TIMELINE) {
    info->ppqPos = static_cast<double>(t.song_pos_beats) / beat;
    info->lastBar = static_cast<double>(t.bar_start) / beat;
    info->cycleStart = static_cast<double>(t.loop_start_beats) / beat;
    info->cycleEnd = static_cast<double>(t.loop_end_beats) / beat;
  }
  TimeSignature(&info->numerator, &info->denominator);
  info->transportIsRunning = (t.flags & CLAP_TRANSPORT_IS_PLAYING) != 0;
  info->transportLoopEnabled = (t.flags & CLAP_TRANSPORT_IS_LOOP_ACTIVE) != 0;
}

// A latency change reaches the host as CLAP allows: directly while the host
// is activating the plug-in, otherwise through a restart request.
void IEffectCLAP::SetLatency(int samples) {
  const int before = GetLatency();
  IEffectBase::SetLatency(samples);
  if (GetLatency() == before || !host_) return;
  if (inActivate_) {
    if (hostLatency_ && hostLatency_->changed) hostLatency_->changed(host_);
  } else if (active_ && host_->request_restart) {
    host_->request_restart(host_);
  }
}
