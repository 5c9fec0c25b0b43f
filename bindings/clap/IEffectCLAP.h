#pragma once
// The CLAP binding: one clap_plugin whose plugin_data is this object, and
// through IEffectBase also the plug-in.
//
// The host sees every framework parameter that has a type, by its framework
// index as CLAP id, with plain values in the parameter's own unit. Parameter
// events are applied sample-accurately: process splits the host block at
// every event and the framework runs the pieces. Edits made in the editor are
// queued and leave as output events in the next process or flush.
//
// Threads: CLAP names the thread of every call; debug builds check the main
// and audio thread against the host's thread-check extension. Every call that
// touches the plug-in takes the one plug-in lock, as the other bindings do.

#include <atomic>
#include <cstdint>
#include <vector>

#include "ClapEventQueue.h"
#include "IEffectBase.h"
#include "clap/clap.h"

class IEffectCLAP : public IEffectBase {
 public:
  // What the factory hands to a new instance: the host that asked for it.
  struct InstanceInfo {
    const clap_host_t* host = nullptr;
  };

  // The layout version written after the state header; readers dispatch on it.
  static constexpr int kClapStateVersion = IEffectBase::kStateVersion;
  // Configurations offered through audio-ports-config.
  static constexpr clap_id kStereoConfigId = 0;
  static constexpr clap_id kMonoConfigId = 1;

  IEffectCLAP(InstanceInfo info, int paramCount, const char* channelIOString, int presetCount,
              const char* effectName, const char* productName, const char* makerName, int version,
              int uniqueId, int makerId, int latency);
  ~IEffectCLAP() override;

  // The record the host holds; plugin_data points back to this object.
  const clap_plugin_t* ClapPlugin() const { return &plugin_; }
  static IEffectCLAP* FromClap(const clap_plugin_t* plugin);

  // ---- Framework operations towards the host ----
  void BeginParamEdit(int paramIdx) override;                     // [ui thread]
  void SendParamToHost(int paramIdx, double normalized) override;  // [ui thread]
  void EndParamEdit(int paramIdx) override;                       // [ui thread]
  void SendPresetChangeToHost() override {}
  bool IsOfflineRender() override { return offline_.load(std::memory_order_relaxed); }
  int SamplePosition() override;
  double Tempo() override;
  void TimeSignature(int* numerator, int* denominator) override;
  void TransportTime(ITimeInfo* info) override;
  void ResizeEditor(int, int) override {}
  void SetLatency(int samples) override;  // [main thread]
  bool SendMidiMessage(const IMidiMsg&) override { return false; }

 private:
  // ---- clap_plugin entries (static thunks in IEffectCLAP.cpp) ----
  bool Init();                                                    // [main thread]
  bool DoActivate(double sampleRate, uint32_t minFrames, uint32_t maxFrames);  // [main thread]
  void DoDeactivate();                                            // [main thread]
  bool StartProcessing();                                         // [audio thread]
  void StopProcessing();                                          // [audio thread]
  void DoReset();                                                 // [audio thread]
  clap_process_status Process(const clap_process_t* process);    // [audio thread]
  const void* GetExtension(const char* id);                       // [any thread]

  // ---- Processing helpers [audio thread, lock held] ----
  void ConnectChannels(const clap_process_t* process);
  void RunPiece(const clap_process_t* process, uint32_t offset, uint32_t frames);
  void ApplyEvent(const clap_event_header_t* event);
  void SendQueuedEvents(const clap_output_events_t* out);

  // ---- Extensions (ClapExtensions.cpp) ----
  uint32_t AudioPortCount(bool isInput);                                        // [main thread]
  bool AudioPortInfo(uint32_t index, bool isInput, clap_audio_port_info_t* info);  // [main thread]
  uint32_t PortConfigCount();                                                   // [main thread]
  bool PortConfig(uint32_t index, clap_audio_ports_config_t* config);           // [main thread]
  bool SelectPortConfig(clap_id configId);                                      // [main thread]
  uint32_t ParamCount();                                                        // [main thread]
  bool ParamInfo(uint32_t index, clap_param_info_t* info);                      // [main thread]
  bool ParamValue(clap_id id, double* value);                                   // [main thread]
  bool ValueToText(clap_id id, double value, char* text, uint32_t capacity);    // [main thread]
  bool TextToValue(clap_id id, const char* text, double* value);                // [main thread]
  void Flush(const clap_input_events_t* in, const clap_output_events_t* out);   // [active ? audio : main]
  bool SaveStateTo(const clap_ostream_t* stream);                               // [main thread]
  bool LoadStateFrom(const clap_istream_t* stream);                             // [main thread]

  // The framework parameter behind a CLAP id, or null.
  IEffectParam* ParamById(clap_id id);
  // The host-supplied value as the parameter stores it: non-finite values are
  // refused (false), others rounded to the step for switches and choices and
  // clamped to the range.
  bool SetParamPlain(int idx, double value);
  // Asks the host to collect queued editor events. [ui thread]
  void RequestFlush();
  // A range bound that follows the sample rate moved since the host read it:
  // tells the host to read the parameters again (allowed only while
  // deactivated). [main thread]
  void RescanMovedRanges();

  // Debug builds: the host says this call runs on the thread CLAP names.
  bool OnMainThread() const;
  bool OnAudioThread() const;

  clap_plugin_t plugin_{};
  const clap_host_t* host_ = nullptr;
  const clap_host_thread_check_t* hostThreads_ = nullptr;
  const clap_host_params_t* hostParams_ = nullptr;
  const clap_host_latency_t* hostLatency_ = nullptr;

  bool initialized_ = false;
  bool active_ = false;       // between activate and deactivate [main thread, lock held]
  bool processing_ = false;   // between start_processing and stop_processing
  bool inActivate_ = false;   // latency changes may be told to the host directly
  int channels_ = 2;          // 2: stereo configuration, 1: mono
  std::atomic<bool> offline_{false};

  // Copied from the host under the lock by process; read by the plug-in's
  // transport queries, which run inside process.
  clap_event_transport_t transport_{};
  bool hasTransport_ = false;

  // The maximum each parameter had when the host last read its info (NaN: never).
  std::vector<double> reportedMax_;

  // Editor edits on their way to the host, guarded by the plug-in lock.
  ClapEventQueue outgoing_;

  // Channel pointers for the attach calls, sized once so process allocates nothing.
  std::vector<double*> in64_, out64_;
  std::vector<float*> in32_, out32_;
};
