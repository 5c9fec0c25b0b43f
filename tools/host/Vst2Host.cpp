#include "Vst2Host.h"

#include <algorithm>
#include <cstring>

#include "SharedLibrary.h"

using namespace vst2;

// ---------------------------------------------------------------------------
// Module

namespace {
VSTPluginMainProc FindEntry(void* handle, const char* name) {
  return reinterpret_cast<VSTPluginMainProc>(SharedLibrarySymbol(handle, name));
}
}  // namespace

std::shared_ptr<Vst2Module> Vst2Module::Open(const std::string& path, std::string* error) {
  std::shared_ptr<Vst2Module> module(new Vst2Module);
  module->path_ = path;
  module->handle_ = OpenSharedLibrary(path, error);
  if (!module->handle_) return nullptr;
  module->entry_ = FindEntry(module->handle_, "VSTPluginMain");
  module->legacy_ = FindEntry(module->handle_, "main");
  if (!module->entry_ && !module->legacy_) {
    if (error) *error = path + " exports neither VSTPluginMain nor main";
    return nullptr;
  }
  return module;
}

Vst2Module::~Vst2Module() {
  CloseSharedLibrary(handle_);
}

// ---------------------------------------------------------------------------
// Recording host

namespace {
// The instance being created: calls made from inside VSTPluginMain arrive
// before the host can mark the AEffect as its own.
thread_local Vst2Instance* gCreating = nullptr;
}  // namespace

std::unique_ptr<Vst2Instance> Vst2Instance::Create(std::shared_ptr<Vst2Module> module, std::string* error,
                                                   bool legacy, Vst2HostScript script) {
  if (!module) {
    if (error) *error = "no module";
    return nullptr;
  }
  VSTPluginMainProc entry = legacy ? module->LegacyEntry() : module->Entry();
  if (!entry) entry = legacy ? nullptr : module->LegacyEntry();  // hosts fall back to main
  if (!entry) {
    if (error) *error = module->Path() + (legacy ? " exports no main" : " exports no entry point");
    return nullptr;
  }
  std::unique_ptr<Vst2Instance> instance(new Vst2Instance(module, std::move(script)));
  gCreating = instance.get();
  AEffect* effect = entry(Callback);
  gCreating = nullptr;
  if (!effect) {
    if (error) *error = module->Path() + ": the entry point returned no plug-in";
    return nullptr;
  }
  if (effect->magic != kEffectMagic) {
    if (error) *error = module->Path() + ": the plug-in record has the wrong magic number";
    return nullptr;  // not a plug-in record: nothing is safe to call on it
  }
  effect->user = instance.get();
  instance->effect_ = effect;
  return instance;
}

Vst2Instance::~Vst2Instance() { Close(); }

void Vst2Instance::Close() {
  if (!effect_) return;
  AEffect* effect = effect_;
  effect_ = nullptr;
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

VstIntPtr Vst2Instance::Dispatch(int opcode, int index, VstIntPtr value, void* ptr, float opt) {
  return effect_ ? effect_->dispatcher(effect_, opcode, index, value, ptr, opt) : 0;
}

std::string Vst2Instance::DispatchText(int opcode, int index) {
  char text[256] = {};
  Dispatch(opcode, index, 0, text);
  text[sizeof text - 1] = '\0';
  return text;
}

void Vst2Instance::SetParameter(int index, float value) {
  if (effect_) effect_->setParameter(effect_, index, value);
}

float Vst2Instance::GetParameter(int index) { return effect_ ? effect_->getParameter(effect_, index) : 0.0f; }

void Vst2Instance::ProcessReplacing(float** inputs, float** outputs, int frames) {
  if (effect_ && effect_->processReplacing) effect_->processReplacing(effect_, inputs, outputs, frames);
}

void Vst2Instance::ProcessAccumulating(float** inputs, float** outputs, int frames) {
  if (effect_ && effect_->process) effect_->process(effect_, inputs, outputs, frames);
}

void Vst2Instance::ProcessDouble(double** inputs, double** outputs, int frames) {
  if (effect_ && effect_->processDoubleReplacing)
    effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
}

std::vector<Vst2HostCall> Vst2Instance::Calls() const {
  std::lock_guard<std::mutex> lock(callsLock_);
  return calls_;
}

int Vst2Instance::CountCalls(int opcode) const {
  std::lock_guard<std::mutex> lock(callsLock_);
  return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                        [opcode](const Vst2HostCall& c) { return c.opcode == opcode; }));
}

void Vst2Instance::ClearCalls() {
  std::lock_guard<std::mutex> lock(callsLock_);
  calls_.clear();
}

VstIntPtr VSTCALLBACK Vst2Instance::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                             VstIntPtr value, void* ptr, float opt) {
  Vst2Instance* instance = effect && effect->user ? static_cast<Vst2Instance*>(effect->user) : gCreating;
  if (!instance) return opcode == audioMasterVersion ? kVstVersion : 0;
  return instance->Answer(effect, opcode, index, value, ptr, opt);
}

VstIntPtr Vst2Instance::Answer(AEffect* effect, int opcode, int index, VstIntPtr value, void* ptr, float opt) {
  Vst2HostCall call;
  call.effect = effect;
  call.opcode = opcode;
  call.index = index;
  call.value = value;
  call.ptrNull = ptr == nullptr;
  call.opt = opt;

  VstIntPtr answer = 0;
  switch (opcode) {
    case audioMasterVersion:
      answer = kVstVersion;
      break;
    case audioMasterGetTime:
      answer = script_.timeInfoAvailable ? reinterpret_cast<VstIntPtr>(&script_.timeInfo) : 0;
      break;
    case audioMasterProcessEvents:
      if (const VstEvents* events = static_cast<const VstEvents*>(ptr)) {
        call.numEvents = events->numEvents;
        if (events->numEvents > 0 && events->events[0]) {
          const VstEvent* first = events->events[0];
          const int bytes = std::clamp(first->byteSize, 0, 48);
          const unsigned char* raw = reinterpret_cast<const unsigned char*>(first);
          call.event.assign(raw, raw + bytes);
        }
      }
      answer = script_.processEventsAnswer;
      break;
    case audioMasterGetSampleRate:
      answer = static_cast<VstIntPtr>(script_.sampleRate);
      break;
    case audioMasterGetBlockSize:
      answer = script_.blockSize;
      break;
    case audioMasterGetCurrentProcessLevel:
      answer = script_.processLevel;
      break;
    case audioMasterGetVendorString:
      if (ptr) {
        std::strncpy(static_cast<char*>(ptr), script_.vendorString.c_str(), kVendorTextBytes - 1);
        static_cast<char*>(ptr)[kVendorTextBytes - 1] = '\0';
        answer = 1;
      }
      break;
    case audioMasterGetProductString:
      if (ptr) {
        char* out = static_cast<char*>(ptr);
        const std::string& product = script_.productString;
        if (script_.productStringRawBytes >= 0) {
          for (int i = 0; i < script_.productStringRawBytes; ++i)
            out[i] = product.empty() ? 'x' : product[i % product.size()];
        } else {
          std::strncpy(out, product.c_str(), kVendorTextBytes - 1);
          out[kVendorTextBytes - 1] = '\0';
        }
        answer = 1;
      }
      break;
    case audioMasterGetVendorVersion:
      answer = script_.vendorVersion;
      break;
    case audioMasterCanDo:
      if (ptr) call.text = static_cast<const char*>(ptr);
      break;
    default:
      break;  // automation, edit gestures, display updates: recorded only
  }
  call.answer = answer;
  std::lock_guard<std::mutex> lock(callsLock_);
  calls_.push_back(std::move(call));
  return answer;
}

// ---------------------------------------------------------------------------
// HostedPlugin

namespace {

class Vst2HostedPlugin : public HostedPlugin {
 public:
  explicit Vst2HostedPlugin(std::unique_ptr<Vst2Instance> instance) : instance_(std::move(instance)) {}
  ~Vst2HostedPlugin() override {
    if (active_) {
      instance_->Dispatch(effStopProcess);
      instance_->Dispatch(effMainsChanged, 0, 0);
    }
    instance_->Close();
  }

  std::string Name() override {
    std::string name = instance_->DispatchText(effGetEffectName);
    return name.empty() ? instance_->DispatchText(effGetProductString) : name;
  }
  int NumParams() override { return instance_->Effect()->numParams; }
  std::string ParamName(int idx) override { return instance_->DispatchText(effGetParamName, idx); }
  std::string ParamDisplay(int idx) override {
    std::string text = instance_->DispatchText(effGetParamDisplay, idx);
    std::string label = instance_->DispatchText(effGetParamLabel, idx);
    return label.empty() ? text : text + " " + label;
  }
  double GetParamNormalized(int idx) override { return instance_->GetParameter(idx); }
  void SetParamNormalized(int idx, double value) override {
    instance_->SetParameter(idx, static_cast<float>(value));
  }
  int NumPresets() override { return instance_->Effect()->numPrograms; }
  std::string PresetName(int idx) override {
    char text[256] = {};
    if (!instance_->Dispatch(effGetProgramNameIndexed, idx, 0, text)) return "";
    text[sizeof text - 1] = '\0';
    return text;
  }
  bool SelectPreset(int idx) override {
    if (idx < 0 || idx >= NumPresets()) return false;
    instance_->Dispatch(effBeginSetProgram);
    instance_->Dispatch(effSetProgram, 0, idx);
    instance_->Dispatch(effEndSetProgram);
    return instance_->Dispatch(effGetProgram) == idx;
  }

  bool Prepare(double sampleRate, int maxBlock, int channels, std::string* error) override {
    AEffect* effect = instance_->Effect();
    if (channels < 1 || channels > 2 || maxBlock < 1) {
      if (error) *error = "unsupported channel count or block length";
      return false;
    }
    if (effect->numOutputs < 1) {
      if (error) *error = "the plug-in has no audio outputs";
      return false;
    }
    instance_->Script().sampleRate = sampleRate;
    instance_->Script().blockSize = maxBlock;
    instance_->Dispatch(effOpen);
    instance_->Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    instance_->Dispatch(effSetBlockSize, 0, maxBlock);
    if (channels == 1) {
      VstSpeakerArrangement mono = {};
      mono.type = kSpeakerArrMono;
      mono.numChannels = 1;
      instance_->Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &mono);
    }
    channels_ = channels;
    useDouble_ = (effect->flags & effFlagsCanDoubleReplacing) && effect->processDoubleReplacing;
    instance_->Dispatch(effSetProcessPrecision, 0, useDouble_ ? 1 : 0);

    // The plug-in's own channel counts: inputs beyond ours read silence, its
    // outputs beyond ours go to a discard buffer.
    const int ins = std::max(effect->numInputs, 0);
    const int outs = std::max(effect->numOutputs, 0);
    const size_t n = static_cast<size_t>(maxBlock);
    doubleIn_.assign(ins, std::vector<double>(n, 0.0));
    doubleOut_.assign(outs, std::vector<double>(n, 0.0));
    floatIn_.assign(ins, std::vector<float>(n, 0.0f));
    floatOut_.assign(outs, std::vector<float>(n, 0.0f));
    inPtrs_.assign(ins, nullptr);
    outPtrs_.assign(outs, nullptr);
    floatInPtrs_.assign(ins, nullptr);
    floatOutPtrs_.assign(outs, nullptr);
    maxBlock_ = maxBlock;

    instance_->Dispatch(effMainsChanged, 0, 1);
    instance_->Dispatch(effStartProcess);
    active_ = true;
    return true;
  }

  int LatencySamples() override { return instance_->Effect()->initialDelay; }

  void Process(const double* const* inputs, double* const* outputs, int frames) override {
    frames = std::clamp(frames, 0, maxBlock_);
    const size_t n = static_cast<size_t>(frames);
    std::vector<double*>& in = inPtrs_;
    std::vector<double*>& out = outPtrs_;
    for (size_t c = 0; c < doubleIn_.size(); ++c) {
      const double* src = c < static_cast<size_t>(channels_) ? inputs[c] : nullptr;
      if (src)
        std::copy(src, src + n, doubleIn_[c].begin());
      else
        std::fill(doubleIn_[c].begin(), doubleIn_[c].begin() + frames, 0.0);
      in[c] = doubleIn_[c].data();
    }
    for (size_t c = 0; c < doubleOut_.size(); ++c) out[c] = doubleOut_[c].data();
    if (useDouble_) {
      instance_->ProcessDouble(in.data(), out.data(), frames);
    } else {
      std::vector<float*>& fin = floatInPtrs_;
      std::vector<float*>& fout = floatOutPtrs_;
      for (size_t c = 0; c < floatIn_.size(); ++c) {
        for (size_t i = 0; i < n; ++i) floatIn_[c][i] = static_cast<float>(doubleIn_[c][i]);
        fin[c] = floatIn_[c].data();
      }
      for (size_t c = 0; c < floatOut_.size(); ++c) fout[c] = floatOut_[c].data();
      instance_->ProcessReplacing(fin.data(), fout.data(), frames);
      for (size_t c = 0; c < floatOut_.size(); ++c)
        for (size_t i = 0; i < n; ++i) doubleOut_[c][i] = floatOut_[c][i];
    }
    // A mono plug-in on a stereo stream feeds both sides.
    for (int c = 0; c < channels_; ++c) {
      const std::vector<double>& src = doubleOut_[std::min<size_t>(c, doubleOut_.size() - 1)];
      std::copy(src.begin(), src.begin() + frames, outputs[c]);
    }
  }

 private:
  std::unique_ptr<Vst2Instance> instance_;
  bool active_ = false;
  bool useDouble_ = false;
  int channels_ = 2;
  int maxBlock_ = 0;
  std::vector<std::vector<double>> doubleIn_, doubleOut_;
  std::vector<std::vector<float>> floatIn_, floatOut_;
  std::vector<double*> inPtrs_, outPtrs_;  // sized in Prepare, so Process allocates nothing
  std::vector<float*> floatInPtrs_, floatOutPtrs_;
};

}  // namespace

std::unique_ptr<HostedPlugin> LoadVst2Plugin(const std::string& path, std::string* error) {
  std::shared_ptr<Vst2Module> module = Vst2Module::Open(path, error);
  if (!module) return nullptr;
  std::unique_ptr<Vst2Instance> instance = Vst2Instance::Create(module, error);
  if (!instance) return nullptr;
  return std::make_unique<Vst2HostedPlugin>(std::move(instance));
}
