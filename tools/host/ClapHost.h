#pragma once
// A small CLAP host: loads a .clap module the way hosts do (dlopen or
// LoadLibrary, clap_entry->init with the module's path, the plug-in factory,
// create_plugin, init) and drives the plug-in through its real entries.
//
// The host-side objects (host record with its extensions, event lists,
// streams) are public so tests can hand them to a plug-in directly and check
// what the plug-in did with them.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "HostedPlugin.h"
#include "clap/clap.h"

// The host record a plug-in receives, with the thread-check, params and
// latency extensions. Records what the plug-in asks of its host.
class ClapHostContext {
 public:
  explicit ClapHostContext(std::string name = "Velto Host");
  ClapHostContext(const ClapHostContext&) = delete;
  ClapHostContext& operator=(const ClapHostContext&) = delete;

  const clap_host_t* Host() const { return &host_; }
  // Calls made between these two count as the audio thread's.
  void EnterAudio() { inAudio_ = true; }
  void LeaveAudio() { inAudio_ = false; }

  std::atomic<int> flushRequests{0};
  std::atomic<int> restartRequests{0};
  std::atomic<int> latencyChanged{0};
  std::atomic<int> rescans{0};

 private:
  static ClapHostContext* From(const clap_host_t* host);
  std::string name_;
  clap_host_t host_{};
  std::thread::id mainThread_;
  std::atomic<bool> inAudio_{false};
};

// Input events: a list of parameter-value events (and any other event a test
// adds), in the order given.
class ClapInputEvents {
 public:
  ClapInputEvents();
  void AddParamValue(clap_id id, double value, uint32_t time = 0);
  // Any event, copied as given (header.size bytes).
  void AddRaw(const clap_event_header_t* event);
  void Clear() { events_.clear(); }
  bool Empty() const { return events_.empty(); }
  const clap_input_events_t* List() const { return &list_; }

 private:
  std::vector<std::vector<uint8_t>> events_;
  clap_input_events_t list_{};
};

// Output events the plug-in pushes; a capacity makes try_push refuse beyond it.
class ClapOutputEvents {
 public:
  struct Event {
    uint16_t type;
    clap_id param;
    double value;
  };
  ClapOutputEvents();
  const clap_output_events_t* List() const { return &list_; }
  void SetCapacity(int capacity) { capacity_ = capacity; }
  std::vector<Event> events;

 private:
  clap_output_events_t list_{};
  int capacity_ = -1;
};

// A memory stream for state: writes append; reads hand out at most
// readPiece bytes per call (short reads, as streams may give).
class ClapMemoryStream {
 public:
  ClapMemoryStream();
  explicit ClapMemoryStream(std::vector<uint8_t> bytes);
  const clap_ostream_t* Out() const { return &out_; }
  const clap_istream_t* In() const { return &in_; }
  void SetReadPiece(int bytes) { readPiece_ = bytes; }
  // A stream that reports an error on the read after this many bytes.
  void FailAfter(int bytes) { failAfter_ = bytes; }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  void Wire();
  std::vector<uint8_t> bytes_;
  size_t pos_ = 0;
  int readPiece_ = 0;
  int failAfter_ = -1;
  clap_ostream_t out_{};
  clap_istream_t in_{};
};

// A loaded module; deinit and unloading happen when the last owner lets go.
class ClapModule {
 public:
  static std::shared_ptr<ClapModule> Load(const std::string& path, std::string* error);
  ~ClapModule();
  ClapModule(const ClapModule&) = delete;
  ClapModule& operator=(const ClapModule&) = delete;

  const clap_plugin_entry_t* Entry() const { return entry_; }
  const clap_plugin_factory_t* Factory() const;
  void* Symbol(const char* name) const;

 private:
  ClapModule() = default;
  void* handle_ = nullptr;
  const clap_plugin_entry_t* entry_ = nullptr;
  bool initialized_ = false;
};

// One plug-in instance, set up the way a host sets up an audio effect.
class ClapPlugin : public HostedPlugin {
 public:
  static std::unique_ptr<ClapPlugin> Create(std::shared_ptr<ClapModule> module, std::string* error);
  ~ClapPlugin() override;

  // HostedPlugin. Parameter indices are positions in the plug-in's list;
  // CLAP has no normalised form, so 0..1 spans a parameter's plain range
  // linearly (stepped parameters land on the nearest step), as a host's
  // generic slider does.
  std::string Name() override { return name_; }
  int NumParams() override { return static_cast<int>(infos_.size()); }
  std::string ParamName(int idx) override;
  std::string ParamDisplay(int idx) override;
  double GetParamNormalized(int idx) override;
  void SetParamNormalized(int idx, double value) override;
  int NumPresets() override { return 0; }
  std::string PresetName(int) override { return ""; }
  bool SelectPreset(int) override { return false; }
  bool Prepare(double sampleRate, int maxBlock, int channels, std::string* error) override;
  void Process(const double* const* inputs, double* const* outputs, int frames) override;
  // What the plug-in's latency extension reports; 0 without the extension.
  int LatencySamples() override;

  // Plain values, by CLAP id.
  void SetParamPlain(clap_id id, double value, uint32_t time = 0);
  bool GetParamPlain(clap_id id, double* value);
  const clap_param_info_t* Info(int idx) const;
  // State through the state extension, with the reads split into pieces of
  // readPiece bytes (0: whole).
  bool SaveState(std::vector<uint8_t>* bytes);
  bool LoadState(const std::vector<uint8_t>& bytes, int readPiece = 0);

  const clap_plugin_t* Plugin() const { return plugin_; }
  ClapHostContext& Host() { return host_; }
  ClapInputEvents& PendingEvents() { return pending_; }
  ClapOutputEvents& OutEvents() { return out_; }
  template <class T>
  const T* Extension(const char* id) const {
    return static_cast<const T*>(plugin_->get_extension(plugin_, id));
  }
  bool Active() const { return active_; }
  void Deactivate();
  // Hands the pending events to params.flush (outside processing).
  void Flush();

 private:
  ClapPlugin() = default;
  std::shared_ptr<ClapModule> module_;
  ClapHostContext host_;
  ClapInputEvents pending_;
  ClapOutputEvents out_;
  const clap_plugin_t* plugin_ = nullptr;
  const clap_plugin_params_t* params_ = nullptr;
  const clap_plugin_state_t* state_ = nullptr;
  std::vector<clap_param_info_t> infos_;
  std::string name_;
  int channels_ = 2;
  bool active_ = false;
  bool processing_ = false;
  int64_t steadyTime_ = 0;
};

std::unique_ptr<HostedPlugin> LoadClapPlugin(const std::string& path, std::string* error);
