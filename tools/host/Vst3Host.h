#pragma once
// A small VST 3 host: loads a module the way hosts do (Linux: the bundle's
// .so, dlopen, ModuleEntry; Windows: the .vst3 file or the bundle's DLL,
// LoadLibrary, InitDll), asks GetPluginFactory for the effect class and drives
// the component through its real interfaces.
//
// The host-side objects (memory stream, parameter changes, component handler,
// host application) are public so tests can hand them to a plug-in directly.
// They are owned by whoever creates them: their reference counts are kept and
// can be checked, but reaching zero deletes nothing.

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "HostedPlugin.h"
#include "Vst3Interfaces.h"

// Reference counting for host objects that live on the stack or in a unique_ptr.
template <class Interface>
class Vst3HostObject : public Interface {
 public:
  vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** obj) override {
    if (!obj) return vst3::kInvalidArgument;
    if (vst3::FUnknown::iid.Matches(iid) || Interface::iid.Matches(iid)) {
      *obj = static_cast<Interface*>(this);
      addRef();
      return vst3::kResultOk;
    }
    *obj = nullptr;
    return vst3::kNoInterface;
  }
  vst3::uint32 VST3_API addRef() override { return ++refs_; }
  vst3::uint32 VST3_API release() override { return --refs_; }
  // Outstanding references beyond the owner's own.
  int References() const { return static_cast<int>(refs_.load()) - 1; }

 private:
  std::atomic<vst3::uint32> refs_{1};
};

class Vst3MemoryStream : public Vst3HostObject<vst3::IBStream> {
 public:
  Vst3MemoryStream() = default;
  explicit Vst3MemoryStream(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
  vst3::tresult VST3_API read(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesRead) override;
  vst3::tresult VST3_API write(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesWritten) override;
  vst3::tresult VST3_API seek(vst3::int64 pos, vst3::int32 mode, vst3::int64* result) override;
  vst3::tresult VST3_API tell(vst3::int64* pos) override;

  const std::vector<unsigned char>& Bytes() const { return bytes_; }
  void Rewind() { pos_ = 0; }
  // At most this many bytes per read call (a stream that hands out data in pieces).
  void SetReadPiece(int bytes) { readPiece_ = bytes; }

 private:
  std::vector<unsigned char> bytes_;
  size_t pos_ = 0;
  int readPiece_ = 0;
};

class Vst3ParamQueue final : public Vst3HostObject<vst3::IParamValueQueue> {
 public:
  explicit Vst3ParamQueue(vst3::ParamID id) : id_(id) {}
  vst3::ParamID VST3_API getParameterId() override { return id_; }
  vst3::int32 VST3_API getPointCount() override { return static_cast<vst3::int32>(points_.size()); }
  vst3::tresult VST3_API getPoint(vst3::int32 index, vst3::int32& sampleOffset, vst3::ParamValue& value) override;
  vst3::tresult VST3_API addPoint(vst3::int32 sampleOffset, vst3::ParamValue value, vst3::int32& index) override;

 private:
  vst3::ParamID id_;
  std::vector<std::pair<vst3::int32, double>> points_;
};

class Vst3ParamChanges : public Vst3HostObject<vst3::IParameterChanges> {
 public:
  vst3::int32 VST3_API getParameterCount() override { return static_cast<vst3::int32>(queues_.size()); }
  vst3::IParamValueQueue* VST3_API getParameterData(vst3::int32 index) override;
  vst3::IParamValueQueue* VST3_API addParameterData(const vst3::ParamID& id, vst3::int32& index) override;

  // Host-side shorthand: one more point for id at sampleOffset.
  void Add(vst3::ParamID id, double value, int sampleOffset = 0);
  bool Empty() const { return queues_.empty(); }
  void Clear() { queues_.clear(); }

 private:
  std::vector<std::unique_ptr<Vst3ParamQueue>> queues_;
};

// Records every call the plug-in makes on it, in order.
class Vst3ComponentHandler : public Vst3HostObject<vst3::IComponentHandler> {
 public:
  struct Call {
    enum Kind { kBegin, kPerform, kEnd, kRestart } kind;
    vst3::ParamID id;
    double value;  // performEdit's value, restartComponent's flags
  };
  vst3::tresult VST3_API beginEdit(vst3::ParamID id) override;
  vst3::tresult VST3_API performEdit(vst3::ParamID id, vst3::ParamValue valueNormalized) override;
  vst3::tresult VST3_API endEdit(vst3::ParamID id) override;
  vst3::tresult VST3_API restartComponent(vst3::int32 flags) override;
  std::vector<Call> calls;
};

class Vst3HostApplication : public Vst3HostObject<vst3::IHostApplication> {
 public:
  explicit Vst3HostApplication(std::string name = "Velto Host") : name_(std::move(name)) {}
  vst3::tresult VST3_API getName(vst3::String128 name) override;
  vst3::tresult VST3_API createInstance(vst3::TUID cid, vst3::TUID iid, void** obj) override;

 private:
  std::string name_;
};

// A loaded module. Unloading (ModuleExit/ExitDll, then closing the library)
// happens when the last owner lets go.
class Vst3Module {
 public:
  // path: a bundle folder (Linux or Windows) or a single-file Windows module.
  static std::shared_ptr<Vst3Module> Load(const std::string& path, std::string* error);
  ~Vst3Module();
  Vst3Module(const Vst3Module&) = delete;
  Vst3Module& operator=(const Vst3Module&) = delete;

  // A new reference to the module's factory (the caller releases it), or null.
  vst3::IPluginFactory* Factory();
  // Looks up an export by name; null when the module has none.
  void* Symbol(const char* name) const;
  const std::string& LibraryPath() const { return libraryPath_; }

 private:
  Vst3Module() = default;
  void* handle_ = nullptr;
  std::string libraryPath_;
};

// One plug-in instance, set up the way a host sets up a single-component effect.
class Vst3Plugin : public HostedPlugin {
 public:
  static std::unique_ptr<Vst3Plugin> Create(std::shared_ptr<Vst3Module> module, std::string* error);
  ~Vst3Plugin() override;

  // HostedPlugin. Parameter indices are the plug-in's own parameter ids (the
  // entries of the host's list that are neither the preset nor the bypass switch).
  std::string Name() override { return name_; }
  int NumParams() override { return static_cast<int>(paramIds_.size()); }
  std::string ParamName(int idx) override;
  std::string ParamDisplay(int idx) override;
  double GetParamNormalized(int idx) override;
  void SetParamNormalized(int idx, double value) override;
  int NumPresets() override { return presetCount_; }
  std::string PresetName(int idx) override;
  bool SelectPreset(int idx) override;
  bool Prepare(double sampleRate, int maxBlock, int channels, std::string* error) override;
  void Process(const double* const* inputs, double* const* outputs, int frames) override;
  int LatencySamples() override { return processor_ ? static_cast<int>(processor_->getLatencySamples()) : 0; }

  // Host bypass through the 'bpas' parameter, applied with the next block.
  void SetBypass(bool bypassed);
  // Every state the host would save, and a restore from them.
  bool SaveState(std::vector<unsigned char>* bytes);
  bool LoadState(const std::vector<unsigned char>& bytes);

  vst3::IComponent* Component() const { return component_; }
  vst3::IAudioProcessor* Processor() const { return processor_; }
  vst3::IEditController* Controller() const { return controller_; }
  vst3::IUnitInfo* Units() const { return units_; }
  Vst3ComponentHandler& Handler() { return handler_; }
  Vst3ParamChanges& PendingChanges() { return pending_; }

 private:
  Vst3Plugin() = default;
  void Flush();  // a zero-sample block that only carries the pending changes

  std::shared_ptr<Vst3Module> module_;
  Vst3HostApplication hostApp_;
  Vst3ComponentHandler handler_;
  Vst3ParamChanges pending_;
  vst3::IComponent* component_ = nullptr;
  vst3::IAudioProcessor* processor_ = nullptr;
  vst3::IEditController* controller_ = nullptr;
  vst3::IUnitInfo* units_ = nullptr;
  std::string name_;
  std::vector<vst3::ParamID> paramIds_;
  vst3::ParamID presetId_ = 0xFFFFFFFF;
  vst3::ParamID bypassId_ = 0xFFFFFFFF;
  int presetCount_ = 0;
  int channels_ = 2;
  bool active_ = false;
};

std::unique_ptr<HostedPlugin> LoadVst3Plugin(const std::string& path, std::string* error);
