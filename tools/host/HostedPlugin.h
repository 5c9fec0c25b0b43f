#pragma once
// A plug-in module loaded the way a host loads it, behind one small interface
// that velto-render and the module tests share. Implemented for VST2 modules
// (Vst2Host) and VST3 bundles/modules (Vst3Host).

#include <memory>
#include <string>

class HostedPlugin {
 public:
  virtual ~HostedPlugin() = default;

  virtual std::string Name() = 0;
  virtual int NumParams() = 0;
  virtual std::string ParamName(int idx) = 0;
  virtual std::string ParamDisplay(int idx) = 0;  // the plug-in's own text for the current value
  virtual double GetParamNormalized(int idx) = 0;
  virtual void SetParamNormalized(int idx, double value) = 0;
  virtual int NumPresets() = 0;
  virtual std::string PresetName(int idx) = 0;
  virtual bool SelectPreset(int idx) = 0;

  // Sample rate, maximum block length and channel count (1 or 2), then activate.
  virtual bool Prepare(double sampleRate, int maxBlock, int channels, std::string* error) = 0;
  // frames <= maxBlock; one buffer per channel.
  virtual void Process(const double* const* inputs, double* const* outputs, int frames) = 0;
  // The delay of the output behind the input, in samples, as the plug-in
  // reports it to a host (after Prepare). A module that reports nothing has none.
  virtual int LatencySamples() { return 0; }
};

// Loads a module file (a VST2 .so/.dll, or a VST3 bundle folder or .vst3 file,
// told apart by the path). Null with a message in *error on failure.
std::unique_ptr<HostedPlugin> LoadHostedPlugin(const std::string& path, std::string* error);
