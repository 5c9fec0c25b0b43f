#pragma once
// A binding without a host, for rendering files and for tests. It drives the
// plug-in the way a host would (sample rate, block size, reset, parameter
// changes, blocks of audio) and records what the plug-in tells its host.

#include <string>
#include <vector>

#include "IEffectBase.h"

class IEffectOffline : public IEffectBase {
 public:
  // Nothing to hand over: there is no host.
  struct InstanceInfo {};

  IEffectOffline(InstanceInfo info, int paramCount, const char* channelIOString, int presetCount,
                 const char* effectName, const char* productName, const char* makerName,
                 int version, int uniqueId, int makerId, int latency);

  // Host-side calls, each under the plug-in lock as a host binding takes it.
  void Prepare(double sampleRate, int blockSize);  // rate, block size, reset, all parameters
  // Chooses the channel layout: 1 for one in, one out; 2 for stereo.
  bool SetChannels(int channels);
  void SetParameterNormalized(int idx, double normalized);
  bool SetParameterValue(int idx, double plain);
  // Any frame count; the framework processes it in pieces of the block size.
  void Process(double** inputs, double** outputs, int frames);
  void ProcessFloat32(float** inputs, float** outputs, int frames);
  void SetTransport(const ITimeInfo& info) { transport_ = info; }

  // What the plug-in told its host.
  struct HostEvent {
    enum Kind { kBeginEdit, kAutomate, kEndEdit, kPresetChange } kind;
    int param;
    double value;
  };
  const std::vector<HostEvent>& HostEvents() const { return events_; }
  void ClearHostEvents() { events_.clear(); }

  void BeginParamEdit(int idx) override;
  void SendParamToHost(int idx, double normalized) override;
  void EndParamEdit(int idx) override;
  void SendPresetChangeToHost() override;
  bool IsOfflineRender() override { return true; }
  int SamplePosition() override;
  double Tempo() override { return transport_.tempo; }
  void TimeSignature(int* numerator, int* denominator) override;
  void TransportTime(ITimeInfo* info) override;
  void ResizeEditor(int, int) override {}
  bool SendMidiMessage(const IMidiMsg&) override { return false; }

 private:
  int channels_ = 2;
  ITimeInfo transport_;
  std::vector<HostEvent> events_;
};
