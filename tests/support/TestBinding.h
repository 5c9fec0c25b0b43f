#pragma once
// A binding with no host: every host-facing operation is recorded, so tests
// can see what the framework would have told a host.

#include <string>
#include <vector>

#include "IEffectBase.h"

class TestBinding : public IEffectBase {
 public:
  using IEffectBase::IEffectBase;

  std::vector<std::string> hostCalls;

  void BeginParamEdit(int idx) override { Record("begin", idx); }
  void SendParamToHost(int idx, double normalized) override {
    Record("automate", idx, normalized);
  }
  void EndParamEdit(int idx) override { Record("end", idx); }
  void SendPresetChangeToHost() override { hostCalls.push_back("presetChange"); }
  int SamplePosition() override { return 0; }
  double Tempo() override { return 120.0; }
  void TimeSignature(int* num, int* den) override { *num = 4, *den = 4; }
  void TransportTime(ITimeInfo*) override {}
  void ResizeEditor(int, int) override {}
  bool SendMidiMessage(const IMidiMsg&) override { return false; }

  // Exposes the protected set-up steps a plug-in constructor performs.
  using IEffectBase::AppendParam;
  using IEffectBase::CreateDelayLine;
  using IEffectBase::SetStoredParamCount;

 private:
  void Record(const char* what, int idx, double value = -1.0) {
    hostCalls.push_back(std::string(what) + " " + std::to_string(idx) +
                        (value >= 0.0 ? " " + std::to_string(value) : std::string()));
  }
};

#include "RecordingEditor.h"
