#include "Vst3Host.h"

#include <algorithm>
#include <cstring>

#include "SharedLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

using namespace vst3;

// ---------------------------------------------------------------------------
// Host objects

tresult Vst3MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead) {
  if (numBytesRead) *numBytesRead = 0;
  if (!buffer || numBytes < 0) return kInvalidArgument;
  size_t n = std::min(static_cast<size_t>(numBytes), bytes_.size() - std::min(pos_, bytes_.size()));
  if (readPiece_ > 0) n = std::min(n, static_cast<size_t>(readPiece_));
  if (n) std::memcpy(buffer, bytes_.data() + pos_, n);
  pos_ += n;
  if (numBytesRead) *numBytesRead = static_cast<int32>(n);
  return kResultOk;
}

tresult Vst3MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten) {
  if (numBytesWritten) *numBytesWritten = 0;
  if (!buffer || numBytes < 0) return kInvalidArgument;
  const auto* src = static_cast<const unsigned char*>(buffer);
  if (bytes_.size() < pos_ + numBytes) bytes_.resize(pos_ + numBytes);
  std::copy(src, src + numBytes, bytes_.begin() + pos_);
  pos_ += numBytes;
  if (numBytesWritten) *numBytesWritten = numBytes;
  return kResultOk;
}

tresult Vst3MemoryStream::seek(int64 pos, int32 mode, int64* result) {
  int64 base = mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? static_cast<int64>(pos_) : static_cast<int64>(bytes_.size());
  if (mode < kIBSeekSet || mode > kIBSeekEnd || base + pos < 0) return kInvalidArgument;
  pos_ = static_cast<size_t>(base + pos);
  if (result) *result = static_cast<int64>(pos_);
  return kResultOk;
}

tresult Vst3MemoryStream::tell(int64* pos) {
  if (!pos) return kInvalidArgument;
  *pos = static_cast<int64>(pos_);
  return kResultOk;
}

tresult Vst3ParamQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value) {
  if (index < 0 || index >= getPointCount()) return kResultFalse;
  sampleOffset = points_[index].first;
  value = points_[index].second;
  return kResultOk;
}

tresult Vst3ParamQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index) {
  points_.emplace_back(sampleOffset, value);
  index = getPointCount() - 1;
  return kResultOk;
}

IParamValueQueue* Vst3ParamChanges::getParameterData(int32 index) {
  return index >= 0 && index < getParameterCount() ? queues_[index].get() : nullptr;
}

IParamValueQueue* Vst3ParamChanges::addParameterData(const ParamID& id, int32& index) {
  for (size_t i = 0; i < queues_.size(); ++i) {
    if (queues_[i]->getParameterId() == id) {
      index = static_cast<int32>(i);
      return queues_[i].get();
    }
  }
  queues_.push_back(std::make_unique<Vst3ParamQueue>(id));
  index = getParameterCount() - 1;
  return queues_.back().get();
}

void Vst3ParamChanges::Add(ParamID id, double value, int sampleOffset) {
  int32 index = 0;
  addParameterData(id, index)->addPoint(sampleOffset, value, index);
}

tresult Vst3ComponentHandler::beginEdit(ParamID id) {
  calls.push_back({Call::kBegin, id, 0.0});
  return kResultOk;
}
tresult Vst3ComponentHandler::performEdit(ParamID id, ParamValue valueNormalized) {
  calls.push_back({Call::kPerform, id, valueNormalized});
  return kResultOk;
}
tresult Vst3ComponentHandler::endEdit(ParamID id) {
  calls.push_back({Call::kEnd, id, 0.0});
  return kResultOk;
}
tresult Vst3ComponentHandler::restartComponent(int32 flags) {
  calls.push_back({Call::kRestart, 0, static_cast<double>(flags)});
  return kResultOk;
}

tresult Vst3HostApplication::getName(String128 name) {
  if (!name) return kInvalidArgument;
  CopyToUtf16(name, name_.c_str(), 128);
  return kResultOk;
}

tresult Vst3HostApplication::createInstance(TUID, TUID, void** obj) {
  if (obj) *obj = nullptr;
  return kResultFalse;
}

// ---------------------------------------------------------------------------
// Module

namespace {
std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind(".vst3");
  return dot == std::string::npos ? name : name.substr(0, dot);
}

using EntryFn = bool (*)(void*);
using ExitFn = bool (*)();
using InitFn = bool (*)();
using FactoryFn = IPluginFactory*(VST3_API*)();
}  // namespace

std::shared_ptr<Vst3Module> Vst3Module::Load(const std::string& path, std::string* error) {
  std::shared_ptr<Vst3Module> module(new Vst3Module());
  const std::string name = BaseName(path);
#if defined(_WIN32)
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (error) *error = "no such module: " + path;
    return nullptr;
  }
  module->libraryPath_ = path;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
#if defined(_WIN64)
    module->libraryPath_ = path + "\\Contents\\x86_64-win\\" + name + ".vst3";
#else
    module->libraryPath_ = path + "\\Contents\\x86-win\\" + name + ".vst3";
#endif
  }
  module->handle_ = OpenSharedLibrary(module->libraryPath_, error);
  if (!module->handle_) return nullptr;
  if (auto init = reinterpret_cast<InitFn>(module->Symbol("InitDll"))) {
    if (!init()) {
      if (error) *error = "InitDll failed";
      return nullptr;
    }
  }
#else
  module->libraryPath_ = path + "/Contents/x86_64-linux/" + name + ".so";
  void* lib = OpenSharedLibrary(module->libraryPath_, error);
  if (!lib) return nullptr;
  module->handle_ = lib;
  auto entry = reinterpret_cast<EntryFn>(module->Symbol("ModuleEntry"));
  if (!entry || !module->Symbol("ModuleExit")) {
    if (error) *error = "the module has no ModuleEntry/ModuleExit";
    return nullptr;
  }
  if (!entry(lib)) {
    if (error) *error = "ModuleEntry failed";
    return nullptr;
  }
#endif
  if (!module->Symbol("GetPluginFactory")) {
    if (error) *error = "the module has no GetPluginFactory";
    return nullptr;
  }
  return module;
}

Vst3Module::~Vst3Module() {
  if (!handle_) return;
#if defined(_WIN32)
  if (auto exit = reinterpret_cast<ExitFn>(Symbol("ExitDll"))) exit();
#else
  if (auto exit = reinterpret_cast<ExitFn>(Symbol("ModuleExit"))) exit();
#endif
  CloseSharedLibrary(handle_);
}

void* Vst3Module::Symbol(const char* name) const {
  return SharedLibrarySymbol(handle_, name);
}

IPluginFactory* Vst3Module::Factory() {
  auto get = reinterpret_cast<FactoryFn>(Symbol("GetPluginFactory"));
  return get ? get() : nullptr;
}

// ---------------------------------------------------------------------------
// Plug-in instance

std::unique_ptr<Vst3Plugin> Vst3Plugin::Create(std::shared_ptr<Vst3Module> module, std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return nullptr;
  };
  if (!module) return fail("no module");
  IPluginFactory* factory = module->Factory();
  if (!factory) return fail("GetPluginFactory gave no factory");
  std::unique_ptr<Vst3Plugin> plugin(new Vst3Plugin());
  plugin->module_ = module;
  PClassInfo info{};
  bool found = false;
  for (int32 i = 0; i < factory->countClasses() && !found; ++i) {
    if (factory->getClassInfo(i, &info) == kResultOk && std::strcmp(info.category, kVstAudioEffectClass) == 0)
      found = true;
  }
  void* obj = nullptr;
  const tresult created = found ? factory->createInstance(info.cid, IComponent::iid.bytes, &obj) : kResultFalse;
  factory->release();
  if (!found) return fail("the factory has no audio effect class");
  if (created != kResultOk || !obj) return fail("createInstance failed");
  plugin->component_ = static_cast<IComponent*>(obj);
  plugin->name_ = info.name;
  if (plugin->component_->initialize(&plugin->hostApp_) != kResultOk) return fail("initialize failed");
  if (plugin->component_->queryInterface(IAudioProcessor::iid.bytes, reinterpret_cast<void**>(&plugin->processor_)) !=
      kResultOk)
    return fail("the component is no audio processor");
  if (plugin->component_->queryInterface(IEditController::iid.bytes, reinterpret_cast<void**>(&plugin->controller_)) !=
      kResultOk)
    return fail("the component is no single-component effect");
  plugin->component_->queryInterface(IUnitInfo::iid.bytes, reinterpret_cast<void**>(&plugin->units_));
  plugin->controller_->setComponentHandler(&plugin->handler_);

  for (int32 i = 0; i < plugin->controller_->getParameterCount(); ++i) {
    ParameterInfo p{};
    if (plugin->controller_->getParameterInfo(i, p) != kResultOk) continue;
    if (p.flags & ParameterInfo::kIsProgramChange) {
      plugin->presetId_ = p.id;
      plugin->presetCount_ = p.stepCount;
    } else if (p.flags & ParameterInfo::kIsBypass) {
      plugin->bypassId_ = p.id;
    } else {
      plugin->paramIds_.push_back(p.id);
    }
  }
  return plugin;
}

Vst3Plugin::~Vst3Plugin() {
  if (processor_ && active_) processor_->setProcessing(0);
  if (component_ && active_) component_->setActive(0);
  if (controller_) controller_->setComponentHandler(nullptr);
  if (component_) component_->terminate();
  if (units_) units_->release();
  if (controller_) controller_->release();
  if (processor_) processor_->release();
  if (component_) component_->release();
}

std::string Vst3Plugin::ParamName(int idx) {
  if (idx < 0 || idx >= NumParams()) return "";
  for (int32 i = 0; i < controller_->getParameterCount(); ++i) {
    ParameterInfo p{};
    if (controller_->getParameterInfo(i, p) == kResultOk && p.id == paramIds_[idx]) {
      char name[128];
      CopyToAscii(name, p.title, sizeof(name));
      return name;
    }
  }
  return "";
}

std::string Vst3Plugin::ParamDisplay(int idx) {
  if (idx < 0 || idx >= NumParams()) return "";
  String128 text = {};
  const ParamID id = paramIds_[idx];
  if (controller_->getParamStringByValue(id, controller_->getParamNormalized(id), text) != kResultOk) return "";
  char ascii[128];
  CopyToAscii(ascii, text, sizeof(ascii));
  return ascii;
}

double Vst3Plugin::GetParamNormalized(int idx) {
  return idx >= 0 && idx < NumParams() ? controller_->getParamNormalized(paramIds_[idx]) : 0.0;
}

void Vst3Plugin::SetParamNormalized(int idx, double value) {
  if (idx < 0 || idx >= NumParams()) return;
  // As a host does: the controller learns the value now, the processor with the next block.
  controller_->setParamNormalized(paramIds_[idx], value);
  pending_.Add(paramIds_[idx], value);
}

void Vst3Plugin::SetBypass(bool bypassed) {
  if (bypassId_ == 0xFFFFFFFF) return;
  controller_->setParamNormalized(bypassId_, bypassed ? 1.0 : 0.0);
  pending_.Add(bypassId_, bypassed ? 1.0 : 0.0);
}

std::string Vst3Plugin::PresetName(int idx) {
  String128 name = {};
  if (!units_ || units_->getProgramName(static_cast<ProgramListID>(presetId_), idx, name) != kResultOk) return "";
  char ascii[128];
  CopyToAscii(ascii, name, sizeof(ascii));
  return ascii;
}

bool Vst3Plugin::SelectPreset(int idx) {
  if (presetCount_ <= 0 || idx < 0 || idx >= presetCount_) return false;
  // The middle of the preset's share of 0..1, so rounding cannot land on its neighbour.
  pending_.Add(presetId_, (idx + 0.5) / presetCount_);
  Flush();
  return true;
}

bool Vst3Plugin::Prepare(double sampleRate, int maxBlock, int channels, std::string* error) {
  if (channels != 1 && channels != 2) {
    if (error) *error = "1 or 2 channels";
    return false;
  }
  if (active_) {
    processor_->setProcessing(0);
    component_->setActive(0);
    active_ = false;
  }
  channels_ = channels;
  SpeakerArrangement arr = channels == 1 ? SpeakerArr::kMono : SpeakerArr::kStereo;
  SpeakerArrangement outArr = arr;
  if (processor_->setBusArrangements(&arr, 1, &outArr, 1) != kResultOk) {
    if (error) *error = "setBusArrangements refused the layout";
    return false;
  }
  ProcessSetup setup{kRealtime, kSample64, maxBlock, sampleRate};
  if (processor_->setupProcessing(setup) != kResultOk) {
    if (error) *error = "setupProcessing failed";
    return false;
  }
  component_->setActive(1);
  processor_->setProcessing(1);
  active_ = true;
  return true;
}

void Vst3Plugin::Process(const double* const* inputs, double* const* outputs, int frames) {
  AudioBusBuffers in{};
  in.numChannels = channels_;
  in.channelBuffers64 = const_cast<double**>(inputs);
  AudioBusBuffers out{};
  out.numChannels = channels_;
  out.channelBuffers64 = const_cast<double**>(outputs);
  ProcessData data{};
  data.processMode = kRealtime;
  data.symbolicSampleSize = kSample64;
  data.numSamples = frames;
  data.numInputs = 1;
  data.numOutputs = 1;
  data.inputs = &in;
  data.outputs = &out;
  data.inputParameterChanges = pending_.Empty() ? nullptr : &pending_;
  processor_->process(data);
  pending_.Clear();
}

void Vst3Plugin::Flush() {
  ProcessData data{};
  data.symbolicSampleSize = kSample64;
  data.inputParameterChanges = &pending_;
  processor_->process(data);
  pending_.Clear();
}

// The host's saved state: the component's bytes and the controller's bytes,
// each behind a 32-bit little-endian length.
bool Vst3Plugin::SaveState(std::vector<unsigned char>* bytes) {
  if (!bytes) return false;
  Vst3MemoryStream comp, cont;
  const tresult c = component_->getState(&comp);
  if (c != kResultOk && c != kNotImplemented) return false;
  if (controller_->getControllerState(&cont) != kResultOk) return false;
  bytes->clear();
  for (const Vst3MemoryStream* s : {&comp, &cont}) {
    const uint32 n = static_cast<uint32>(s->Bytes().size());
    for (int i = 0; i < 4; ++i) bytes->push_back(static_cast<unsigned char>(n >> (8 * i)));
    bytes->insert(bytes->end(), s->Bytes().begin(), s->Bytes().end());
  }
  return true;
}

bool Vst3Plugin::LoadState(const std::vector<unsigned char>& bytes) {
  size_t pos = 0;
  std::vector<unsigned char> parts[2];
  for (auto& part : parts) {
    if (pos + 4 > bytes.size()) return false;
    uint32 n = 0;
    for (int i = 0; i < 4; ++i) n |= static_cast<uint32>(bytes[pos + i]) << (8 * i);
    pos += 4;
    if (n > bytes.size() - pos) return false;
    part.assign(bytes.begin() + pos, bytes.begin() + pos + n);
    pos += n;
  }
  Vst3MemoryStream comp(parts[0]), compCopy(parts[0]), cont(parts[1]);
  const tresult c = component_->setState(&comp);
  if (c != kResultOk && c != kNotImplemented) return false;
  const tresult cs = controller_->setComponentState(&compCopy);
  if (cs != kResultOk && cs != kNotImplemented) return false;
  return controller_->setControllerState(&cont) == kResultOk;
}

std::unique_ptr<HostedPlugin> LoadVst3Plugin(const std::string& path, std::string* error) {
  std::shared_ptr<Vst3Module> module = Vst3Module::Load(path, error);
  if (!module) return nullptr;
  return Vst3Plugin::Create(module, error);
}
