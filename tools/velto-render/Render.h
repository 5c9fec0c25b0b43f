#pragma once
// Running a plug-in over a whole buffer, the way a host plays a file.

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "AudioFile.h"
#include "HostedPlugin.h"

class IEffectOffline;

// The built-in plug-in through the offline binding, seen through the same
// interface as a loaded module, plus access by plain values and names.
class OfflineVelto : public HostedPlugin {
 public:
  OfflineVelto();
  ~OfflineVelto() override;

  std::string Name() override;
  int NumParams() override;  // the declared parameters
  std::string ParamName(int idx) override;
  std::string ParamDisplay(int idx) override;
  double GetParamNormalized(int idx) override;
  void SetParamNormalized(int idx, double value) override;
  int NumPresets() override;
  std::string PresetName(int idx) override;
  bool SelectPreset(int idx) override;
  bool Prepare(double sampleRate, int maxBlock, int channels, std::string* error) override;
  void Process(const double* const* inputs, double* const* outputs, int frames) override;

  // Index of a parameter by enum name ("kMix") or display name ("Mix"); -1 if none.
  int FindParam(const std::string& name);
  // Sets a plain value; *clamped tells whether it had to be limited to the range.
  bool SetParamPlain(int idx, double value, bool* clamped);
  IEffectOffline& Plugin() { return *plugin_; }

 private:
  std::unique_ptr<IEffectOffline> plugin_;
};

struct ChannelLevels {
  double peakDb = -HUGE_VAL;
  double rmsDb = -HUGE_VAL;
};
ChannelLevels MeasureLevels(const std::vector<double>& samples);
std::string FormatDb(double db);

// Processes the whole input block by block; progress(fraction) is called
// between blocks. The output has the input's length and channel count.
AudioBuffer RenderBuffer(HostedPlugin& plugin, const AudioBuffer& input, int block,
                         const std::function<void(double)>& progress);
