#include "ClapHost.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "SharedLibrary.h"

// ---------------------------------------------------------------------------
// Host record

ClapHostContext::ClapHostContext(std::string name) : name_(std::move(name)), mainThread_(std::this_thread::get_id()) {
  host_.clap_version = CLAP_VERSION;
  host_.host_data = this;
  host_.name = name_.c_str();
  host_.vendor = "Velto";
  host_.url = "";
  host_.version = "1.0.0";
  host_.get_extension = [](const clap_host_t*, const char* id) -> const void* {
    static const clap_host_thread_check_t threads = {
        [](const clap_host_t* h) {
          ClapHostContext* self = From(h);
          return !self->inAudio_ && std::this_thread::get_id() == self->mainThread_;
        },
        [](const clap_host_t* h) { return From(h)->inAudio_.load(); }};
    static const clap_host_params_t params = {
        [](const clap_host_t* h, clap_param_rescan_flags) { ++From(h)->rescans; },
        [](const clap_host_t*, clap_id, clap_param_clear_flags) {},
        [](const clap_host_t* h) { ++From(h)->flushRequests; }};
    static const clap_host_latency_t latency = {[](const clap_host_t* h) { ++From(h)->latencyChanged; }};
    if (!id) return nullptr;
    if (std::strcmp(id, CLAP_EXT_THREAD_CHECK) == 0) return &threads;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &params;
    if (std::strcmp(id, CLAP_EXT_LATENCY) == 0) return &latency;
    return nullptr;
  };
  host_.request_restart = [](const clap_host_t* h) { ++From(h)->restartRequests; };
  host_.request_process = [](const clap_host_t*) {};
  host_.request_callback = [](const clap_host_t*) {};
}

ClapHostContext* ClapHostContext::From(const clap_host_t* host) {
  return static_cast<ClapHostContext*>(host->host_data);
}

// ---------------------------------------------------------------------------
// Event lists

ClapInputEvents::ClapInputEvents() {
  list_.ctx = this;
  list_.size = [](const clap_input_events_t* l) {
    return static_cast<uint32_t>(static_cast<const ClapInputEvents*>(l->ctx)->events_.size());
  };
  list_.get = [](const clap_input_events_t* l, uint32_t i) -> const clap_event_header_t* {
    const auto* self = static_cast<const ClapInputEvents*>(l->ctx);
    if (i >= self->events_.size()) return nullptr;
    return reinterpret_cast<const clap_event_header_t*>(self->events_[i].data());
  };
}

void ClapInputEvents::AddParamValue(clap_id id, double value, uint32_t time) {
  clap_event_param_value_t ev{};
  ev.header = {sizeof(ev), time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
  ev.param_id = id;
  ev.note_id = -1;
  ev.port_index = -1;
  ev.channel = -1;
  ev.key = -1;
  ev.value = value;
  AddRaw(&ev.header);
}

void ClapInputEvents::AddRaw(const clap_event_header_t* event) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(event);
  events_.emplace_back(bytes, bytes + event->size);
}

ClapOutputEvents::ClapOutputEvents() {
  list_.ctx = this;
  list_.try_push = [](const clap_output_events_t* l, const clap_event_header_t* e) {
    auto* self = static_cast<ClapOutputEvents*>(l->ctx);
    if (!e || (self->capacity_ >= 0 && static_cast<int>(self->events.size()) >= self->capacity_)) return false;
    Event out{e->type, 0, 0.0};
    if (e->type == CLAP_EVENT_PARAM_VALUE && e->size >= sizeof(clap_event_param_value_t)) {
      const auto* v = reinterpret_cast<const clap_event_param_value_t*>(e);
      out.param = v->param_id;
      out.value = v->value;
    } else if ((e->type == CLAP_EVENT_PARAM_GESTURE_BEGIN || e->type == CLAP_EVENT_PARAM_GESTURE_END) &&
               e->size >= sizeof(clap_event_param_gesture_t)) {
      out.param = reinterpret_cast<const clap_event_param_gesture_t*>(e)->param_id;
    }
    self->events.push_back(out);
    return true;
  };
}

// ---------------------------------------------------------------------------
// Streams

ClapMemoryStream::ClapMemoryStream() { Wire(); }
ClapMemoryStream::ClapMemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) { Wire(); }

void ClapMemoryStream::Wire() {
  out_.ctx = this;
  out_.write = [](const clap_ostream_t* s, const void* buffer, uint64_t size) -> int64_t {
    auto* self = static_cast<ClapMemoryStream*>(s->ctx);
    if (!buffer) return -1;
    // Takes at most 7 bytes per call, as a stream may.
    const uint64_t n = std::min<uint64_t>(size, 7);
    const auto* src = static_cast<const uint8_t*>(buffer);
    self->bytes_.insert(self->bytes_.end(), src, src + n);
    return static_cast<int64_t>(n);
  };
  in_.ctx = this;
  in_.read = [](const clap_istream_t* s, void* buffer, uint64_t size) -> int64_t {
    auto* self = static_cast<ClapMemoryStream*>(s->ctx);
    if (!buffer) return -1;
    if (self->failAfter_ >= 0 && self->pos_ >= static_cast<size_t>(self->failAfter_)) return -1;
    uint64_t n = std::min<uint64_t>(size, self->bytes_.size() - self->pos_);
    if (self->readPiece_ > 0) n = std::min<uint64_t>(n, static_cast<uint64_t>(self->readPiece_));
    if (n) std::memcpy(buffer, self->bytes_.data() + self->pos_, n);
    self->pos_ += n;
    return static_cast<int64_t>(n);
  };
}

// ---------------------------------------------------------------------------
// Module

std::shared_ptr<ClapModule> ClapModule::Load(const std::string& path, std::string* error) {
  std::shared_ptr<ClapModule> module(new ClapModule());
  module->handle_ = OpenSharedLibrary(path, error);
  if (!module->handle_) return nullptr;
  module->entry_ = static_cast<const clap_plugin_entry_t*>(module->Symbol("clap_entry"));
  if (!module->entry_ || !module->entry_->init || !module->entry_->deinit || !module->entry_->get_factory) {
    if (error) *error = "the module has no clap_entry";
    return nullptr;
  }
  if (!clap_version_is_compatible(module->entry_->clap_version)) {
    if (error) *error = "the module's CLAP version is not supported";
    return nullptr;
  }
  if (!module->entry_->init(path.c_str())) {
    if (error) *error = "clap_entry.init failed";
    return nullptr;
  }
  module->initialized_ = true;
  return module;
}

ClapModule::~ClapModule() {
  if (entry_ && initialized_) entry_->deinit();
  CloseSharedLibrary(handle_);
}

void* ClapModule::Symbol(const char* name) const {
  return SharedLibrarySymbol(handle_, name);
}

const clap_plugin_factory_t* ClapModule::Factory() const {
  return entry_ ? static_cast<const clap_plugin_factory_t*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID)) : nullptr;
}

// ---------------------------------------------------------------------------
// Plug-in instance

std::unique_ptr<ClapPlugin> ClapPlugin::Create(std::shared_ptr<ClapModule> module, std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return nullptr;
  };
  if (!module) return fail("no module");
  const clap_plugin_factory_t* factory = module->Factory();
  if (!factory) return fail("the module has no plug-in factory");
  const clap_plugin_descriptor_t* desc =
      factory->get_plugin_count(factory) > 0 ? factory->get_plugin_descriptor(factory, 0) : nullptr;
  if (!desc || !desc->id) return fail("the factory describes no plug-in");
  std::unique_ptr<ClapPlugin> plugin(new ClapPlugin());
  plugin->module_ = module;
  plugin->name_ = desc->name ? desc->name : "";
  plugin->plugin_ = factory->create_plugin(factory, plugin->host_.Host(), desc->id);
  if (!plugin->plugin_) return fail("create_plugin failed");
  if (!plugin->plugin_->init(plugin->plugin_)) {
    plugin->plugin_->destroy(plugin->plugin_);
    plugin->plugin_ = nullptr;
    return fail("init failed");
  }
  plugin->params_ = plugin->Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  plugin->state_ = plugin->Extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  if (plugin->params_) {
    const uint32_t n = plugin->params_->count(plugin->plugin_);
    for (uint32_t i = 0; i < n; ++i) {
      clap_param_info_t info{};
      if (plugin->params_->get_info(plugin->plugin_, i, &info)) plugin->infos_.push_back(info);
    }
  }
  return plugin;
}

ClapPlugin::~ClapPlugin() {
  if (!plugin_) return;
  Deactivate();
  plugin_->destroy(plugin_);
}

void ClapPlugin::Deactivate() {
  if (processing_) {
    host_.EnterAudio();
    plugin_->stop_processing(plugin_);
    host_.LeaveAudio();
    processing_ = false;
  }
  if (active_) plugin_->deactivate(plugin_);
  active_ = false;
}

const clap_param_info_t* ClapPlugin::Info(int idx) const {
  return idx >= 0 && idx < static_cast<int>(infos_.size()) ? &infos_[idx] : nullptr;
}

std::string ClapPlugin::ParamName(int idx) {
  const clap_param_info_t* info = Info(idx);
  return info ? info->name : "";
}

std::string ClapPlugin::ParamDisplay(int idx) {
  const clap_param_info_t* info = Info(idx);
  double value = 0.0;
  char text[256] = {};
  if (!info || !GetParamPlain(info->id, &value) ||
      !params_->value_to_text(plugin_, info->id, value, text, sizeof(text)))
    return "";
  return text;
}

bool ClapPlugin::GetParamPlain(clap_id id, double* value) {
  return params_ && value && params_->get_value(plugin_, id, value);
}

double ClapPlugin::GetParamNormalized(int idx) {
  const clap_param_info_t* info = Info(idx);
  double value = 0.0;
  if (!info || !GetParamPlain(info->id, &value) || !(info->max_value > info->min_value)) return 0.0;
  return std::clamp((value - info->min_value) / (info->max_value - info->min_value), 0.0, 1.0);
}

void ClapPlugin::SetParamNormalized(int idx, double value) {
  const clap_param_info_t* info = Info(idx);
  if (!info || !std::isfinite(value)) return;
  double plain = info->min_value + std::clamp(value, 0.0, 1.0) * (info->max_value - info->min_value);
  if (info->flags & CLAP_PARAM_IS_STEPPED) plain = std::floor(plain + 0.5);
  SetParamPlain(info->id, plain);
}

void ClapPlugin::SetParamPlain(clap_id id, double value, uint32_t time) {
  pending_.AddParamValue(id, value, time);
  // As a host does outside processing: the plug-in hears it through flush.
  if (!active_) Flush();
}

void ClapPlugin::Flush() {
  if (!params_) return;
  params_->flush(plugin_, pending_.List(), out_.List());
  pending_.Clear();
}

bool ClapPlugin::Prepare(double sampleRate, int maxBlock, int channels, std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (channels != 1 && channels != 2) return fail("1 or 2 channels");
  Deactivate();
  const auto* configs = Extension<clap_plugin_audio_ports_config_t>(CLAP_EXT_AUDIO_PORTS_CONFIG);
  bool selected = false;
  for (uint32_t i = 0; configs && i < configs->count(plugin_) && !selected; ++i) {
    clap_audio_ports_config_t config{};
    if (configs->get(plugin_, i, &config) && config.main_input_channel_count == static_cast<uint32_t>(channels) &&
        config.main_output_channel_count == static_cast<uint32_t>(channels))
      selected = configs->select(plugin_, config.id);
  }
  if (!selected && channels != 2) return fail("the plug-in offers no configuration for that channel count");
  channels_ = channels;
  if (!plugin_->activate(plugin_, sampleRate, 1, static_cast<uint32_t>(std::max(maxBlock, 1))))
    return fail("activate failed");
  active_ = true;
  host_.EnterAudio();
  processing_ = plugin_->start_processing(plugin_);
  host_.LeaveAudio();
  if (!processing_) return fail("start_processing failed");
  return true;
}

void ClapPlugin::Process(const double* const* inputs, double* const* outputs, int frames) {
  clap_audio_buffer_t in{};
  in.data64 = const_cast<double**>(inputs);
  in.channel_count = static_cast<uint32_t>(channels_);
  clap_audio_buffer_t out{};
  out.data64 = const_cast<double**>(outputs);
  out.channel_count = static_cast<uint32_t>(channels_);
  clap_process_t process{};
  process.steady_time = steadyTime_;
  process.frames_count = static_cast<uint32_t>(std::max(frames, 0));
  process.audio_inputs = &in;
  process.audio_outputs = &out;
  process.audio_inputs_count = 1;
  process.audio_outputs_count = 1;
  process.in_events = pending_.List();
  process.out_events = out_.List();
  host_.EnterAudio();
  plugin_->process(plugin_, &process);
  host_.LeaveAudio();
  pending_.Clear();
  steadyTime_ += process.frames_count;
}

bool ClapPlugin::SaveState(std::vector<uint8_t>* bytes) {
  if (!state_ || !bytes) return false;
  ClapMemoryStream stream;
  if (!state_->save(plugin_, stream.Out())) return false;
  *bytes = stream.Bytes();
  return true;
}

bool ClapPlugin::LoadState(const std::vector<uint8_t>& bytes, int readPiece) {
  if (!state_) return false;
  ClapMemoryStream stream(bytes);
  stream.SetReadPiece(readPiece);
  return state_->load(plugin_, stream.In());
}

std::unique_ptr<HostedPlugin> LoadClapPlugin(const std::string& path, std::string* error) {
  std::shared_ptr<ClapModule> module = ClapModule::Load(path, error);
  if (!module) return nullptr;
  return ClapPlugin::Create(module, error);
}

int ClapPlugin::LatencySamples() {
  if (!plugin_) return 0;
  auto* latency = static_cast<const clap_plugin_latency_t*>(plugin_->get_extension(plugin_, CLAP_EXT_LATENCY));
  return latency && latency->get ? static_cast<int>(latency->get(plugin_)) : 0;
}
