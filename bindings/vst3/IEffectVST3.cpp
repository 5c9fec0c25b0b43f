#include "IEffectVST3.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "IEffectVST3View.h"

using namespace vst3;

IEffectVST3::IEffectVST3(InstanceInfo, int paramCount, const char* channelIOString, int presetCount,
                         const char* effectName, const char* productName, const char* makerName,
                         int version, int uniqueId, int makerId, int latency)
    : IEffectBase(paramCount, channelIOString, presetCount, effectName, productName, makerName, version,
                  uniqueId, makerId, latency, /*api*/ 1) {
  views_.reserve(10);
  SetInputConnections(0, NumInputs(), true);
  SetOutputConnections(0, NumOutputs(), true);
  if (NumInputs() > 0) CreateDelayLine();
  in64_.resize(NumInputs());
  in32_.resize(NumInputs());
  out64_.resize(NumOutputs());
  out32_.resize(NumOutputs());

  InputBusLabels().assign({"Main Input"});
  if (sideChainChannels_ > 0) InputBusLabels().push_back("Aux Input");
  OutputBusLabels().clear();
  if (isInstrument_) {
    char label[32];
    for (int k = 0; k < NumOutputs() / 2; ++k) {
      std::snprintf(label, sizeof(label), "Output %i", k + 1);
      OutputBusLabels().push_back(label);
    }
  } else {
    OutputBusLabels().push_back("Output");
  }
}

IEffectVST3::~IEffectVST3() {
  DestroyEditor();
  if (componentHandler_) componentHandler_->release();
  if (hostContext_) hostContext_->release();
}

// ---------------------------------------------------------------------------
// FUnknown

tresult IEffectVST3::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  void* found = nullptr;
  if (FUnknown::iid.Matches(iid) || IPluginBase::iid.Matches(iid) || IComponent::iid.Matches(iid))
    found = static_cast<IComponent*>(this);
  else if (IAudioProcessor::iid.Matches(iid))
    found = static_cast<IAudioProcessor*>(this);
  else if (IEditController::iid.Matches(iid))
    found = static_cast<IEditController*>(this);
  else if (IEditController2::iid.Matches(iid))
    found = static_cast<IEditController2*>(this);
  else if (IConnectionPoint::iid.Matches(iid))
    found = static_cast<IConnectionPoint*>(this);
  else if (IUnitInfo::iid.Matches(iid))
    found = static_cast<IUnitInfo*>(this);
  *obj = found;
  if (!found) return kNoInterface;
  addRef();
  return kResultOk;
}

uint32 IEffectVST3::addRef() { return ++refCount_; }

uint32 IEffectVST3::release() {
  const uint32 n = --refCount_;
  if (n == 0) delete this;
  return n;
}

// ---------------------------------------------------------------------------
// IPluginBase

tresult IEffectVST3::initialize(FUnknown* context) {
  const tresult result = initialized_ ? kResultFalse : kResultOk;
  if (result == kResultOk) {
    initialized_ = true;
    hostContext_ = context;
    if (hostContext_) hostContext_->addRef();
  }
  IHostApplication* app = nullptr;
  if (context && context->queryInterface(IHostApplication::iid.bytes, reinterpret_cast<void**>(&app)) == kResultOk &&
      app) {
    String128 name16 = {};
    char name[128] = {};
    if (app->getName(name16) == kResultOk) CopyToAscii(name, name16, sizeof(name));
    SetHost(name, 0);
    app->release();
  }

  IEffectLock lock(Mutex());
  if (result == kResultOk) {
    sideChainChannels_ = std::clamp(sideChainChannels_, 0, 2);
    CreateBuses();
    RegisterParameters();
  }
  OnHostKnown();
  if (NumPresets() > 0) LoadPreset(0);
  return result;
}

tresult IEffectVST3::terminate() {
  if (!initialized_) return kResultFalse;
  initialized_ = false;
  parameters_.Clear();
  unitNames_.clear();
  buses_.Clear();
  if (componentHandler_) componentHandler_->release();
  componentHandler_ = nullptr;
  if (hostContext_) hostContext_->release();
  hostContext_ = nullptr;
  return kResultOk;
}

void IEffectVST3::CreateBuses() {
  buses_.Clear();
  const char* inLabel = InputBusLabels().empty() ? "Input" : InputBusLabels()[0].c_str();
  const int mainIn = NumInputs() - sideChainChannels_;
  if (mainIn >= 1 && mainIn <= 6)
    buses_.AddAudio(kInput, inLabel, ArrangementForChannels(mainIn), kMain, BusInfo::kDefaultActive);
  if (!isInstrument_) {
    const char* outLabel = OutputBusLabels().empty() ? "Output" : OutputBusLabels()[0].c_str();
    buses_.AddAudio(kOutput, outLabel, ArrangementForChannels(NumOutputs()), kMain, BusInfo::kDefaultActive);
  } else {
    for (int k = 0; k < NumOutputs() / 2; ++k) {
      const char* label = k < static_cast<int>(OutputBusLabels().size()) ? OutputBusLabels()[k].c_str() : "Output";
      buses_.AddAudio(kOutput, label, SpeakerArr::kStereo, kMain, BusInfo::kDefaultActive);
    }
  }
  if (sideChainChannels_ > 0) {
    const char* label = InputBusLabels().size() > 1 ? InputBusLabels()[1].c_str() : "Aux Input";
    buses_.AddAudio(kInput, label, ArrangementForChannels(sideChainChannels_), kAux, 0);
  }
  if (doesMidi_) buses_.AddEvent(kInput, "MIDI Input", 1, kMain, BusInfo::kDefaultActive);
}

void IEffectVST3::RegisterParameters() {
  parameters_.Clear();
  unitNames_.clear();
  if (NumPresets() > 0)
    parameters_.Add(std::make_unique<Vst3Parameter>("Preset", kPresetParamId, "", NumPresets(), 0.0,
                                                    ParameterInfo::kIsProgramChange, kRootUnitId));
  if (!isInstrument_) {
    auto bypass = std::make_unique<Vst3StringListParameter>(
        "Bypass", kBypassParamId, "", ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass, kRootUnitId);
    bypass->AppendString("off");
    bypass->AppendString("on");
    parameters_.Add(std::move(bypass));
  }
  for (int i = 0; i < NumParams(); ++i) {
    const IEffectParam* p = GetParam(i);
    UnitID unit = kRootUnitId;
    if (p->Group()[0]) {
      auto it = std::find(unitNames_.begin(), unitNames_.end(), p->Group());
      if (it == unitNames_.end()) it = unitNames_.insert(unitNames_.end(), p->Group());
      unit = 1 + static_cast<UnitID>(it - unitNames_.begin());
    }
    const int32 flags = p->CanAutomate() ? ParameterInfo::kCanAutomate : 0;
    const ParamID id = static_cast<ParamID>(i);
    switch (p->Type()) {
      case kParamBool:
      case kParamEnum: {
        auto list = std::make_unique<Vst3StringListParameter>(p->Name(), id, p->UnitLabel(), flags, unit);
        for (int j = 0; j < p->DisplayTextCount(); ++j) list->AppendString(p->DisplayTextFor(j));
        // The host's default follows the parameter's own default entry.
        list->SetDefaultIndex(static_cast<int>(p->Default() - p->Min()));
        parameters_.Add(std::move(list));
        break;
      }
      case kParamInt:
      case kParamDouble: {
        // The host's normalised values are the framework's, so the range
        // follows the parameter's taper: the default, normalizedParamToPlain
        // and text parsing agree with setParamNormalized.
        auto range = std::make_unique<Vst3RangeParameter>(p->Name(), id, p->UnitLabel(), p->Min(), p->Max(),
                                                          p->Default(), flags, unit, p->Shape());
        range->SetPrecision(p->DisplayPrecision());
        parameters_.Add(std::move(range));
        break;
      }
      default:
        break;  // a parameter without a type stays out of the host's list
    }
  }
}

bool IEffectVST3::IsFrameworkParam(ParamID id) const {
  const IEffectParam* p = id < static_cast<ParamID>(NumParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  return p && p->Type() != kParamNone;
}

// ---------------------------------------------------------------------------
// IComponent

tresult IEffectVST3::getControllerClassId(TUID) { return kNotImplemented; }
tresult IEffectVST3::setIoMode(IoMode) { return kNotImplemented; }
tresult IEffectVST3::getRoutingInfo(RoutingInfo&, RoutingInfo&) { return kNotImplemented; }

int32 IEffectVST3::getBusCount(MediaType type, BusDirection dir) { return buses_.Count(type, dir); }

tresult IEffectVST3::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) {
  return buses_.Info(type, dir, index, bus);
}

tresult IEffectVST3::activateBus(MediaType type, BusDirection dir, int32 index, TBool state) {
  return buses_.Activate(type, dir, index, state != 0);
}

tresult IEffectVST3::setActive(TBool state) {
  // Only real transitions count; a repeated state is refused and changes nothing.
  const bool active = state != 0;
  if (active == active_) return kResultFalse;
  active_ = active;
  Activate(active);
  return kResultOk;
}

// The plug-in's state travels in the controller state only. Hosts store that
// one as well (Ardour 7 keeps it as the only chunk when these two decline).
tresult IEffectVST3::setState(IBStream*) { return kNotImplemented; }
tresult IEffectVST3::getState(IBStream*) { return kNotImplemented; }

// ---------------------------------------------------------------------------
// IAudioProcessor

tresult IEffectVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                        int32 numOuts) {
  SetInputConnections(0, NumInputs(), false);
  SetOutputConnections(0, NumOutputs(), false);
  const int nIn = inputs && numIns > 0 ? ChannelsOfArrangement(inputs[0]) : 0;
  const int nOut = outputs && numOuts > 0 ? ChannelsOfArrangement(outputs[0]) : 0;
  if (!LegalIO(nIn, nOut)) return kResultFalse;

  const Vst3Bus* mainIn = buses_.Get(kAudio, kInput, 0);
  if (!mainIn || mainIn->channels != nIn)
    buses_.ReplaceAudio(kInput, 0, "Input", ArrangementForChannels(nIn), kMain, BusInfo::kDefaultActive);
  const Vst3Bus* mainOut = buses_.Get(kAudio, kOutput, 0);
  if (!mainOut || mainOut->channels != nOut)
    buses_.ReplaceAudio(kOutput, 0, "Output", ArrangementForChannels(nOut), kMain, BusInfo::kDefaultActive);

  if (sideChainChannels_ == 0) return numIns == 1 ? kResultOk : kResultFalse;
  if (numIns != 2) return kResultFalse;
  const int nSide = ChannelsOfArrangement(inputs[1]);
  const Vst3Bus* side = buses_.Get(kAudio, kInput, 1);
  if (!side || side->channels != nSide)
    buses_.ReplaceAudio(kInput, 1, "Sidechain Input", ArrangementForChannels(nSide), kAux, 0);
  return kResultOk;
}

tresult IEffectVST3::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) {
  return buses_.Arrangement(dir, index, arr);
}

tresult IEffectVST3::canProcessSampleSize(int32 size) {
  return size == kSample32 || size == kSample64 ? kResultOk : kResultFalse;
}

uint32 IEffectVST3::getLatencySamples() { return static_cast<uint32>(GetLatency()); }
uint32 IEffectVST3::getTailSamples() { return 0; }
tresult IEffectVST3::setProcessing(TBool) { return kNotImplemented; }

tresult IEffectVST3::setupProcessing(ProcessSetup& setup) {
  if (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64) return kResultFalse;
  bool rangesMoved = false;
  {
    IEffectLock lock(Mutex());
    // A range that follows the sample rate (High Freq ends at half of it)
    // gives an unchanged setting another normalized value at the new rate.
    std::vector<double> before(static_cast<size_t>(NumParams()));
    for (int i = 0; i < NumParams(); ++i) before[static_cast<size_t>(i)] = GetParam(i)->ToNormalized();
    SetSampleRate(setup.sampleRate);
    bypassed_ = false;
    bypassShown_ = 0.0;
    SetBlockSize(setup.maxSamplesPerBlock);
    Reset();
    processSetup_ = setup;
    for (int i = 0; i < NumParams(); ++i) {
      const IEffectParam* param = GetParam(i);
      if (auto* range = dynamic_cast<Vst3RangeParameter*>(parameters_.Find(static_cast<ParamID>(i))))
        range->SetRange(param->Min(), param->Max());
      if (param->ToNormalized() != before[static_cast<size_t>(i)]) rangesMoved = true;
    }
  }
  // Hosts keep normalized copies of the values and send them back later:
  // they read them again now, or a copy made at the old rate would move the
  // setting when it comes back.
  if (rangesMoved && componentHandler_) componentHandler_->restartComponent(kParamValuesChanged);
  return kResultOk;
}

void IEffectVST3::ApplyParameterChanges(IParameterChanges* changes) {
  if (!changes) return;
  const int32 queues = changes->getParameterCount();
  for (int32 q = 0; q < queues; ++q) {
    IParamValueQueue* queue = changes->getParameterData(q);
    if (!queue) continue;
    const int32 points = queue->getPointCount();
    int32 offset = 0;
    double value = 0.0;
    if (points <= 0 || queue->getPoint(points - 1, offset, value) != kResultOk || !std::isfinite(value)) continue;
    const ParamID id = queue->getParameterId();
    if (id == kBypassParamId) {
      bypassed_ = value > 0.5;
      bypassShown_ = value > 0.5 ? 1.0 : 0.0;
    } else if (id == kPresetParamId) {
      // Index = value x presets, toward zero; 1.0 gives one past the last preset and does nothing.
      const double index = value * NumPresets();
      if (index >= 0.0 && index < NumPresets() + 1.0) LoadPreset(static_cast<int>(index));
    } else if (IsFrameworkParam(id)) {
      const int idx = static_cast<int>(id);
      GetParam(idx)->SetFromNormalized(value);
      if (IEditorLink* gui = GetGUI()) gui->ShowParameterValue(idx, value, true);
      ParamChanged(idx);
    }
  }
}

// Binds the host's buffers to the framework channels. Each bus's channels are
// taken in order; a channel whose host pointer is null, or that belongs to an
// inactive output bus, reads or writes its own scratch buffer instead.
void IEffectVST3::AttachProcessBuffers(ProcessData& data, bool use64) {
  const int nIn = NumInputs();
  int inChannels = 0;
  if (data.numInputs > 0 && data.inputs && sideChainChannels_ == 0) {
    const AudioBusBuffers& bus = data.inputs[0];
    void* const* ptrs = use64 ? reinterpret_cast<void* const*>(bus.channelBuffers64)
                              : reinterpret_cast<void* const*>(bus.channelBuffers32);
    inChannels = ptrs ? std::clamp(static_cast<int>(bus.numChannels), 0, nIn) : 0;
    int next = 0;
    for (int c = 0; c < inChannels; ++c) {
      const bool present = ptrs[c] != nullptr;
      SetInputConnections(c, 1, present);
      if (!present) continue;
      if (use64)
        in64_[next++] = bus.channelBuffers64[c];
      else
        in32_[next++] = bus.channelBuffers32[c];
    }
    if (use64)
      AttachInputs(0, inChannels, in64_.data());
    else
      AttachInputs(0, inChannels, in32_.data(), data.numSamples);
  }
  SetInputConnections(inChannels, nIn - inChannels, false);

  const int nOut = NumOutputs();
  int c = 0;
  for (int32 k = 0; data.outputs && k < data.numOutputs && c < nOut; ++k) {
    const AudioBusBuffers& bus = data.outputs[k];
    void* const* ptrs = use64 ? reinterpret_cast<void* const*>(bus.channelBuffers64)
                              : reinterpret_cast<void* const*>(bus.channelBuffers32);
    const int n = std::clamp(static_cast<int>(bus.numChannels), 0, nOut - c);
    const Vst3Bus* info = buses_.Get(kAudio, kOutput, k);
    const bool active = info && info->active && ptrs;
    int next = 0;
    for (int j = 0; j < n; ++j) {
      const bool connected = active && ptrs[j] != nullptr;
      SetOutputConnections(c + j, 1, connected);
      if (!connected) continue;
      if (use64)
        out64_[next++] = bus.channelBuffers64[j];
      else
        out32_[next++] = bus.channelBuffers32[j];
    }
    if (use64)
      AttachOutputs(c, n, out64_.data());
    else
      AttachOutputs(c, n, out32_.data());
    c += n;
  }
  SetOutputConnections(c, nOut - c, false);
}

tresult IEffectVST3::process(ProcessData& data) {
  IEffectLock lock(Mutex());
  if (data.processContext) processContext_ = *data.processContext;
  ApplyParameterChanges(data.inputParameterChanges);

  const int frames = std::max(static_cast<int>(data.numSamples), 0);
  if (frames == 0) return kResultOk;  // a parameter flush
  const bool use64 = processSetup_.symbolicSampleSize == kSample64;
  AttachProcessBuffers(data, use64);
  const bool bypassed = bypassed_.load(std::memory_order_relaxed);
  if (use64) {
    if (bypassed)
      PassThroughBlock(frames);
    else
      RunBlock(frames);
  } else {
    if (bypassed)
      PassThroughBlock32(frames);
    else
      RunBlockReplacing32(frames);
  }
  return kResultOk;
}

// ---------------------------------------------------------------------------
// State: the framework state, then the bypass flag as a little-endian int32.

tresult IEffectVST3::WriteState(IBStream* stream) {
  if (!stream) return kInvalidArgument;
  IEffectLock lock(Mutex());
  StateChunk chunk;
  if (!SaveState(chunk)) return kResultFalse;
  const uint32 word = bypassed_ ? 1u : 0u;
  for (int i = 0; i < 4; ++i) chunk.PutByte(static_cast<uint8_t>(word >> (8 * i)));
  int32 written = 0;
  stream->write(chunk.Data(), chunk.Size(), &written);
  return kResultOk;
}

namespace {
// Reads up to size bytes, however the stream splits them; the count the
// stream reports is never trusted beyond what was asked for.
int ReadFully(IBStream* stream, uint8_t* dest, int size) {
  int got = 0;
  while (got < size) {
    int32 n = 0;
    if (stream->read(dest + got, size - got, &n) != kResultOk || n <= 0) break;
    got += std::min(static_cast<int>(n), size - got);
  }
  return got;
}
}  // namespace

tresult IEffectVST3::ReadState(IBStream* stream) {
  if (!stream) return kInvalidArgument;
  IEffectLock lock(Mutex());
  StateChunk current;
  SaveState(current);
  const int n = current.Size();
  if (n <= 0) return kResultFalse;

  // A stream shorter than the parameter block is refused whole: nothing that
  // was not read is applied.
  StateChunk chunk;
  chunk.Assign(nullptr, n);
  if (ReadFully(stream, chunk.Data(), n) < n) return kResultFalse;
  if (LoadState(chunk, 0) < 0) return kResultFalse;

  uint8_t word[4] = {};
  if (ReadFully(stream, word, 4) < 4) return kResultFalse;  // the values above stay applied
  const bool bypassed = (word[0] | word[1] | word[2] | word[3]) != 0;
  bypassed_ = bypassed;
  bypassShown_ = bypassed ? 1.0 : 0.0;
  RefreshParamControls();
  return kResultOk;
}

// ---------------------------------------------------------------------------
// IEditController

tresult IEffectVST3::setComponentState(IBStream*) { return kNotImplemented; }
tresult IEffectVST3::setControllerState(IBStream* state) { return ReadState(state); }
tresult IEffectVST3::getControllerState(IBStream* state) { return WriteState(state); }

int32 IEffectVST3::getParameterCount() { return parameters_.Count(); }

tresult IEffectVST3::getParameterInfo(int32 paramIndex, ParameterInfo& info) {
  const Vst3Parameter* p = parameters_.At(paramIndex);
  if (!p) return kResultFalse;
  info = p->Info();
  return kResultOk;
}

tresult IEffectVST3::getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) {
  if (!string || !IsFrameworkParam(id)) return kResultFalse;
  char text[IEffectParam::kTextSize] = {};
  {
    IEffectLock lock(Mutex());
    GetParam(static_cast<int>(id))->FormatValue(valueNormalized, true, text);
  }
  CopyToUtf16(string, text, 128);
  return kResultOk;
}

tresult IEffectVST3::getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) {
  const Vst3Parameter* p = parameters_.Find(id);
  return p && p->FromString(string, &valueNormalized) ? kResultOk : kResultFalse;
}

ParamValue IEffectVST3::normalizedParamToPlain(ParamID id, ParamValue valueNormalized) {
  const Vst3Parameter* p = parameters_.Find(id);
  return p ? p->ToPlain(valueNormalized) : valueNormalized;
}

ParamValue IEffectVST3::plainParamToNormalized(ParamID id, ParamValue plainValue) {
  if (!IsFrameworkParam(id)) return plainValue;
  IEffectLock lock(Mutex());
  return GetParam(static_cast<int>(id))->ToNormalized(plainValue);
}

ParamValue IEffectVST3::getParamNormalized(ParamID id) {
  if (id == kBypassParamId) return bypassShown_.load(std::memory_order_relaxed);
  if (!IsFrameworkParam(id)) return 0.0;
  IEffectLock lock(Mutex());
  return GetParam(static_cast<int>(id))->ToNormalized();
}

tresult IEffectVST3::setParamNormalized(ParamID id, ParamValue value) {
  if (id == kBypassParamId) {
    // The controller keeps what the host set; the audio side follows the queue.
    if (!std::isfinite(value)) return kResultFalse;
    bypassShown_ = std::clamp(value, 0.0, 1.0);
    return kResultOk;
  }
  if (!IsFrameworkParam(id)) return kResultFalse;
  IEffectLock lock(Mutex());
  GetParam(static_cast<int>(id))->SetFromNormalized(value);
  return kResultOk;
}

tresult IEffectVST3::setComponentHandler(IComponentHandler* handler) {
  if (handler == componentHandler_) return kResultTrue;
  if (handler) handler->addRef();
  if (componentHandler_) componentHandler_->release();
  componentHandler_ = handler;
  return kResultTrue;
}

IPlugView* IEffectVST3::createView(FIDString name) {
  if (!name || std::strcmp(name, kEditorViewName) != 0) return nullptr;
  auto* view = new IEffectVST3View(this);
  views_.push_back(view);
  return view;
}

void IEffectVST3::RemoveView(IEffectVST3View* view) {
  views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

tresult IEffectVST3::setKnobMode(KnobMode mode) {
  knobMode_ = mode;
  return kResultTrue;
}
tresult IEffectVST3::openHelp(TBool) { return kResultFalse; }
tresult IEffectVST3::openAboutBox(TBool) { return kResultFalse; }

tresult IEffectVST3::connect(IConnectionPoint* other) { return other ? kResultOk : kInvalidArgument; }
tresult IEffectVST3::disconnect(IConnectionPoint*) { return kResultOk; }
tresult IEffectVST3::notify(IMessage*) { return kResultFalse; }

// ---------------------------------------------------------------------------
// IUnitInfo

int32 IEffectVST3::getUnitCount() { return static_cast<int32>(unitNames_.size()) + 1; }

tresult IEffectVST3::getUnitInfo(int32 unitIndex, UnitInfo& info) {
  if (unitIndex < 0 || unitIndex > static_cast<int32>(unitNames_.size())) return kResultFalse;
  info.id = unitIndex;
  info.parentUnitId = unitIndex == 0 ? kNoParentUnitId : kRootUnitId;
  CopyToUtf16(info.name, unitIndex == 0 ? "Root Unit" : unitNames_[unitIndex - 1].c_str(), 128);
  info.programListId = kNoProgramListId;
  return kResultOk;
}

int32 IEffectVST3::getProgramListCount() { return 0; }

tresult IEffectVST3::getProgramListInfo(int32 listIndex, ProgramListInfo& info) {
  if (listIndex != 0) return kResultFalse;
  info.id = kProgramListId;
  CopyToUtf16(info.name, "Factory Presets", 128);
  info.programCount = NumPresets();
  return kResultOk;
}

tresult IEffectVST3::getProgramName(ProgramListID listId, int32 programIndex, String128 name) {
  if (listId != kProgramListId || !name) return kResultFalse;
  IEffectLock lock(Mutex());
  CopyToUtf16(name, PresetName(programIndex), 128);
  return kResultOk;
}

tresult IEffectVST3::getProgramInfo(ProgramListID, int32, CString, String128) { return kNotImplemented; }
tresult IEffectVST3::hasProgramPitchNames(ProgramListID, int32) { return kNotImplemented; }
tresult IEffectVST3::getProgramPitchName(ProgramListID, int32, int16, String128) { return kNotImplemented; }
UnitID IEffectVST3::getSelectedUnit() { return kRootUnitId; }
tresult IEffectVST3::selectUnit(UnitID) { return kNotImplemented; }
tresult IEffectVST3::getUnitByBus(MediaType, BusDirection, int32, int32, UnitID&) { return kNotImplemented; }
tresult IEffectVST3::setUnitProgramData(int32, int32, IBStream*) { return kNotImplemented; }

// ---------------------------------------------------------------------------
// Framework operations towards the host

void IEffectVST3::BeginParamEdit(int paramIdx) {
  if (componentHandler_) componentHandler_->beginEdit(static_cast<ParamID>(paramIdx));
}

void IEffectVST3::SendParamToHost(int paramIdx, double normalized) {
  if (componentHandler_) componentHandler_->performEdit(static_cast<ParamID>(paramIdx), normalized);
}

void IEffectVST3::EndParamEdit(int paramIdx) {
  if (componentHandler_) componentHandler_->endEdit(static_cast<ParamID>(paramIdx));
}

bool IEffectVST3::IsOfflineRender() { return processSetup_.processMode == kOffline; }

int IEffectVST3::SamplePosition() { return static_cast<int>(processContext_.projectTimeSamples); }
double IEffectVST3::Tempo() { return processContext_.tempo; }

void IEffectVST3::TimeSignature(int* numerator, int* denominator) {
  if (numerator) *numerator = processContext_.timeSigNumerator;
  if (denominator) *denominator = processContext_.timeSigDenominator;
}

void IEffectVST3::TransportTime(ITimeInfo* info) {
  if (!info) return;
  const ProcessContext& pc = processContext_;
  info->tempo = pc.tempo;
  info->samplePos = static_cast<double>(pc.projectTimeSamples);
  info->ppqPos = pc.projectTimeMusic;
  info->lastBar = pc.barPositionMusic;
  info->cycleStart = pc.cycleStartMusic;
  info->cycleEnd = pc.cycleEndMusic;
  info->numerator = pc.timeSigNumerator;
  info->denominator = pc.timeSigDenominator;
  info->transportIsRunning = (pc.state & ProcessContext::kPlaying) != 0;
  info->transportLoopEnabled = (pc.state & ProcessContext::kCycleActive) != 0;
}

void IEffectVST3::ResizeEditor(int width, int height) {
  if (!HostEditor() || views_.empty()) return;
  IEffectVST3View* view = views_.front();
  view->ExpectNewSize();
  ViewRect rect{0, 0, width, height};
  if (IPlugFrame* frame = view->Frame()) frame->resizeView(view, &rect);
}

void IEffectVST3::SetLatency(int samples) {
  const int before = GetLatency();
  IEffectBase::SetLatency(samples);
  if (componentHandler_ && GetLatency() != before) componentHandler_->restartComponent(kLatencyChanged);
}

void IEffectVST3::ShowHostParamMenu(int paramIdx, int x, int y) {
  if (!componentHandler_ || views_.empty()) return;
  IComponentHandler3* handler3 = nullptr;
  if (componentHandler_->queryInterface(IComponentHandler3::iid.bytes, reinterpret_cast<void**>(&handler3)) !=
          kResultOk ||
      !handler3)
    return;
  const ParamID id = static_cast<ParamID>(paramIdx);
  if (IContextMenu* menu = handler3->createContextMenu(views_.front(), &id)) {
    menu->popup(x, y);
    menu->release();
  }
  handler3->release();
}
