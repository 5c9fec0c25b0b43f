#pragma once
// A VST2 host for tools and tests: loads a module file with dlopen or
// LoadLibrary, creates instances through VSTPluginMain (or the legacy main)
// and answers the plug-in's callback calls from a script while recording
// every one of them.
//
// Two levels: Vst2Instance is the recording host with raw access to the
// AEffect and its entry points, for tests that drive every opcode through a
// module's real exports; LoadVst2Plugin wraps one instance behind the
// HostedPlugin interface that velto-render uses.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "HostedPlugin.h"
#include "Vst2Interface.h"

// A loaded module file. Unloaded when the last instance made from it is gone.
class Vst2Module {
 public:
  // Null with a message in *error when the file does not load or exports
  // neither entry point.
  static std::shared_ptr<Vst2Module> Open(const std::string& path, std::string* error);
  ~Vst2Module();
  Vst2Module(const Vst2Module&) = delete;
  Vst2Module& operator=(const Vst2Module&) = delete;

  vst2::VSTPluginMainProc Entry() const { return entry_; }         // VSTPluginMain, may be null
  vst2::VSTPluginMainProc LegacyEntry() const { return legacy_; }  // main, may be null
  const std::string& Path() const { return path_; }

 private:
  Vst2Module() = default;
  void* handle_ = nullptr;
  vst2::VSTPluginMainProc entry_ = nullptr;
  vst2::VSTPluginMainProc legacy_ = nullptr;
  std::string path_;
};

// How the host answers the plug-in.
struct Vst2HostScript {
  std::string productString = "velto-host";
  std::string vendorString = "Velto";
  // When >= 0: the product string request fills exactly this many bytes of
  // the plug-in's buffer with the product text repeated, without terminator.
  int productStringRawBytes = -1;
  vst2::VstIntPtr vendorVersion = 10000;  // decimal, 1.0.0
  vst2::VstIntPtr processLevel = 1;       // user thread
  bool timeInfoAvailable = true;          // false: audioMasterGetTime answers 0
  vst2::VstTimeInfo timeInfo = {};
  vst2::VstIntPtr processEventsAnswer = 1;
  double sampleRate = 44100.0;
  int blockSize = 1024;
};

// One callback call as the plug-in made it, with the host's answer.
struct Vst2HostCall {
  vst2::AEffect* effect = nullptr;
  int opcode = 0;
  int index = 0;
  vst2::VstIntPtr value = 0;
  bool ptrNull = true;
  float opt = 0.0f;
  vst2::VstIntPtr answer = 0;
  // audioMasterProcessEvents: the first event's bytes (up to 48) and the count.
  int numEvents = 0;
  std::vector<unsigned char> event;
  std::string text;  // string arguments (audioMasterCanDo)
};

class Vst2Instance {
 public:
  // Calls VSTPluginMain (or main when legacy is true) with the recording
  // callback. Null with a message when the entry is missing, answers null or
  // the record's magic is wrong.
  static std::unique_ptr<Vst2Instance> Create(std::shared_ptr<Vst2Module> module, std::string* error,
                                              bool legacy = false, Vst2HostScript script = {});
  // effClose when the instance is still open.
  ~Vst2Instance();
  Vst2Instance(const Vst2Instance&) = delete;
  Vst2Instance& operator=(const Vst2Instance&) = delete;

  vst2::AEffect* Effect() const { return effect_; }
  vst2::VstIntPtr Dispatch(int opcode, int index = 0, vst2::VstIntPtr value = 0, void* ptr = nullptr,
                           float opt = 0.0f);
  void SetParameter(int index, float value);
  float GetParameter(int index);
  void ProcessReplacing(float** inputs, float** outputs, int frames);
  void ProcessAccumulating(float** inputs, float** outputs, int frames);
  void ProcessDouble(double** inputs, double** outputs, int frames);
  // effClose; the AEffect is gone afterwards.
  void Close();

  // Text requests with a zeroed 256-byte buffer.
  std::string DispatchText(int opcode, int index = 0);

  // The script may be changed between calls from the thread driving the instance.
  Vst2HostScript& Script() { return script_; }
  std::vector<Vst2HostCall> Calls() const;
  int CountCalls(int opcode) const;
  void ClearCalls();

 private:
  Vst2Instance(std::shared_ptr<Vst2Module> module, Vst2HostScript script)
      : module_(std::move(module)), script_(std::move(script)) {}
  static vst2::VstIntPtr VSTCALLBACK Callback(vst2::AEffect* effect, vst2::VstInt32 opcode,
                                              vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr,
                                              float opt);
  vst2::VstIntPtr Answer(vst2::AEffect* effect, int opcode, int index, vst2::VstIntPtr value, void* ptr,
                         float opt);

  std::shared_ptr<Vst2Module> module_;
  vst2::AEffect* effect_ = nullptr;
  Vst2HostScript script_;
  mutable std::mutex callsLock_;  // calls come from every thread the plug-in is driven on
  std::vector<Vst2HostCall> calls_;
};

// The HostedPlugin of a VST2 module file. Null with a message on failure.
std::unique_ptr<HostedPlugin> LoadVst2Plugin(const std::string& path, std::string* error);
