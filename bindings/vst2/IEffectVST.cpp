// IEffectVST: the AEffect record, its entry points and the dispatcher.

#include "IEffectVST.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

using namespace vst2;

namespace {

constexpr VstIntPtr kVendorAnswer = 0xbeef;
constexpr VstIntPtr kVendorCanDoAnswer = 0xbeef0000;
// Opcodes from here on are not ours to answer.
constexpr VstInt32 kFirstUnhandledOpcode = 70;

VstInt32 ArrangementType(int channels) {
  if (channels <= 0) return kSpeakerArrEmpty;
  if (channels == 1) return kSpeakerArrMono;
  if (channels == 2) return kSpeakerArrStereo;
  return kSpeakerArrUserDefined;
}

// A host value that must name an int-sized index; anything wider is out of
// range, never truncated into a valid one.
int IndexFromValue(VstIntPtr value) {
  return value >= INT_MIN && value <= INT_MAX ? static_cast<int>(value) : -1;
}

// The name requests: 1 when there was a buffer to fill.
VstIntPtr CopyName(char* dest, const char* name, int bytes) {
  if (!dest) return 0;
  CopyText(dest, name, bytes);
  return 1;
}

}  // namespace

IEffectVST::IEffectVST(InstanceInfo info, int paramCount, const char* channelIOString,
                       int presetCount, const char* effectName, const char* productName,
                       const char* makerName, int version, int uniqueId, int makerId, int latency)
    : IEffectBase(paramCount, channelIOString, presetCount, effectName, productName, makerName,
                  version, uniqueId, makerId, latency, /*api*/ 0),
      hostCallback_(info.hostCallback) {
  std::memset(&aeffect_, 0, sizeof aeffect_);
  aeffect_.magic = kEffectMagic;
  aeffect_.dispatcher = VSTDispatcher;
  aeffect_.process = VSTProcessAccumulate;
  aeffect_.setParameter = VSTWriteParameter;
  aeffect_.getParameter = VSTReadParameter;
  aeffect_.numPrograms = NumPresets();
  aeffect_.numParams = NumParams();
  aeffect_.numInputs = NumInputs();
  aeffect_.numOutputs = NumOutputs();
  aeffect_.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  if (LegalIO(1, -1)) aeffect_.flags |= effFlagsCanMono;
  aeffect_.initialDelay = GetLatency();
  aeffect_.ioRatio = 1.0f;
  aeffect_.object = this;
  aeffect_.uniqueID = uniqueId;
  aeffect_.version = ((version >> 16) & 0xFFFF) * 10000 + ((version >> 8) & 0xFF) * 100 + (version & 0xFF);
  aeffect_.processReplacing = VSTProcessFloats;
  aeffect_.processDoubleReplacing = VSTProcessDoubles;

  UpdateArrangements();
  SetInputConnections(0, NumInputs(), true);
  SetOutputConnections(0, NumOutputs(), true);
  SetBlockSize(1024);
}

void IEffectVST::UpdateArrangements() {
  inputArrangement_.numChannels = NumInputs();
  inputArrangement_.type = ArrangementType(NumInputs());
  outputArrangement_.numChannels = NumOutputs();
  outputArrangement_.type = ArrangementType(NumOutputs());
}

IEffectVST* IEffectVST::FromEffect(AEffect* effect) {
  return effect ? static_cast<IEffectVST*>(effect->object) : nullptr;
}

// ---------------------------------------------------------------------------
// Entry points

VstIntPtr VSTCALLBACK IEffectVST::VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                VstIntPtr value, void* ptr, float opt) {
  IEffectVST* self = FromEffect(effect);
  if (!self) return 0;
  if (opcode == effClose) {
    // The lock goes with the object, so it is released first; effClose is
    // the last call the host makes on this object.
    std::unique_lock<std::recursive_mutex> lock(self->Mutex());
    effect->object = nullptr;
    lock.unlock();
    delete self;
    return 0;
  }
  IEffectLock lock(self->Mutex());
  return self->Dispatch(opcode, index, value, ptr, opt);
}

void VSTCALLBACK IEffectVST::VSTWriteParameter(AEffect* effect, VstInt32 index, float value) {
  IEffectVST* self = FromEffect(effect);
  if (!self) return;
  IEffectLock lock(self->Mutex());
  IEffectParam* param = self->GetParam(index);
  if (!param) return;
  if (IEditorLink* editor = self->GetGUI()) editor->ShowParameterValue(index, value, true);
  param->SetFromNormalized(value);
  self->ParamChanged(index);
}

float VSTCALLBACK IEffectVST::VSTReadParameter(AEffect* effect, VstInt32 index) {
  IEffectVST* self = FromEffect(effect);
  if (!self) return 0.0f;
  IEffectLock lock(self->Mutex());
  const IEffectParam* param = self->GetParam(index);
  return param ? static_cast<float>(param->ToNormalized()) : 0.0f;
}

void VSTCALLBACK IEffectVST::VSTProcessFloats(AEffect* effect, float** inputs, float** outputs,
                                              VstInt32 frames) {
  IEffectVST* self = FromEffect(effect);
  if (!self) return;
  IEffectLock lock(self->Mutex());
  self->ProcessBlock32(inputs, outputs, frames, false);
}

void VSTCALLBACK IEffectVST::VSTProcessAccumulate(AEffect* effect, float** inputs, float** outputs,
                                                  VstInt32 frames) {
  IEffectVST* self = FromEffect(effect);
  if (!self) return;
  IEffectLock lock(self->Mutex());
  self->ProcessBlock32(inputs, outputs, frames, true);
}

void IEffectVST::ProcessBlock32(float** inputs, float** outputs, int frames, bool accumulate) {
  if (doesMidi_) HostCall(audioMasterWantMidi);
  AttachInputs(0, NumInputs(), inputs, frames);
  AttachOutputs(0, NumOutputs(), outputs);
  if (accumulate)
    RunBlockAccumulating32(frames);
  else
    RunBlockReplacing32(frames);
}

void VSTCALLBACK IEffectVST::VSTProcessDoubles(AEffect* effect, double** inputs, double** outputs,
                                               VstInt32 frames) {
  IEffectVST* self = FromEffect(effect);
  if (!self) return;
  IEffectLock lock(self->Mutex());
  if (self->doesMidi_) self->HostCall(audioMasterWantMidi);
  self->AttachInputs(0, self->NumInputs(), inputs);
  self->AttachOutputs(0, self->NumOutputs(), outputs);
  // Through RunBlock, not ProcessDouble: a channel without a host block then
  // works in its scratch buffer, and that never takes more than the block size.
  self->RunBlock(frames);
}

// ---------------------------------------------------------------------------
// Dispatcher

VstIntPtr IEffectVST::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  if (opcode < 0 || opcode >= kFirstUnhandledOpcode) return 0;
  char* text = static_cast<char*>(ptr);
  IEffectParam* param = GetParam(index);

  switch (opcode) {
    case effOpen:
      InitForHost();
      NotifyAllParamsChanged();
      return 0;

    case effSetProgram:
      // The values of the preset being left stay in it.
      if (!doesStateChunks_) ModifyCurrentPreset();
      LoadPreset(IndexFromValue(value));
      return 0;

    case effGetProgram:
      return CurrentPreset();

    case effSetProgramName:
      if (text) {
        ModifyCurrentPreset(text);
        OnPresetsChanged();
      }
      return 0;

    case effGetProgramName:
      if (text) CopyText(text, PresetName(CurrentPreset()), kProgramNameBytes);
      return 0;

    case effGetParamLabel:
      if (param && text) CopyText(text, param->UnitLabel(), kParamTextBytes);
      return 0;

    case effGetParamDisplay:
      if (param && text) {
        char display[IEffectParam::kTextSize] = {};
        param->FormatValue(display, true);
        CopyText(text, display, kParamTextBytes);
      }
      return 0;

    case effGetParamName:
      if (param && text) CopyText(text, param->Name(), kParamTextBytes);
      return 0;

    case effSetSampleRate:
      SetSampleRate(opt);
      Reset();
      return 0;

    case effSetBlockSize:
      SetBlockSize(value < 0 ? 0 : value > kMaxBlockSize ? kMaxBlockSize : static_cast<int>(value));
      Reset();
      return 0;

    case effMainsChanged:
      if (value != 0) {
        Activate(true);
      } else {
        Activate(false);
        Reset();
      }
      return 0;

    case effEditGetRect:
      if (!ptr || !HostEditor()) return 0;
      *static_cast<ERect**>(ptr) = &editorRect_;
      return 1;

    case effEditOpen:
      if (IEditorLink* editor = HostEditor()) {
        if (editor->OpenWindow(ptr)) {
          OnEditorOpen();
          return 1;
        }
      }
      return 0;

    case effEditClose:
      if (IEditorLink* editor = HostEditor()) {
        OnEditorClose();
        editor->CloseWindow();
        return 1;
      }
      return 0;

    case effEditIdle:
      // Window layers without a timer of their own handle their events and
      // redraw tick here.
      if (IEditorLink* editor = HostEditor()) editor->WindowIdle();
      return 0;

    case effIdentify:
      return kEffectIdentify;

    case effGetChunk:
      return GetChunk(index, static_cast<void**>(ptr));

    case effSetChunk:
      return SetChunk(index, value, ptr);

    case effProcessEvents:
      return ProcessEvents(static_cast<const VstEvents*>(ptr));

    case effCanBeAutomated:
      return 1;

    case effString2Parameter:
      return String2Parameter(index, text);

    case effGetProgramNameIndexed:
      if (!text) return 0;
      CopyText(text, PresetName(index), kProgramNameBytes);
      return text[0] != '\0' ? 1 : 0;

    case effGetInputProperties:
      return PinProperties(index, static_cast<VstPinProperties*>(ptr), true);

    case effGetOutputProperties:
      return PinProperties(index, static_cast<VstPinProperties*>(ptr), false);

    case effGetPlugCategory:
      return isInstrument_ ? kPlugCategSynth : kPlugCategEffect;

    case effSetSpeakerArrangement:
      ConnectChannels(reinterpret_cast<const VstSpeakerArrangement*>(value), true);
      ConnectChannels(static_cast<const VstSpeakerArrangement*>(ptr), false);
      return 1;

    case effGetEffectName:
      return CopyName(text, EffectName(), kEffectNameBytes);

    case effGetVendorString:
      return CopyName(text, MakerName(), kVendorTextBytes);

    case effGetProductString:
      return CopyName(text, ProductName(), kVendorTextBytes);

    case effVendorSpecific:
      return VendorSpecific(index, value, ptr, opt);

    case effCanDo:
      return CanDo(text);

    case effGetVstVersion:
      return kVstVersion;

    case effGetMidiKeyName: {
      MidiKeyName* key = static_cast<MidiKeyName*>(ptr);
      if (!key) return 0;
      char name[kKeyNameBytes] = {};
      key->keyName[0] = '\0';
      const bool named = NoteName(key->thisKeyNumber, name);
      name[kKeyNameBytes - 1] = '\0';
      CopyText(key->keyName, name, kKeyNameBytes);
      return named ? 1 : 0;
    }

    case effGetSpeakerArrangement:
      if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &inputArrangement_;
      if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &outputArrangement_;
      return 1;

    default:
      // effIdle, the bypass, tail, parameter-property and vendor-version
      // requests, and everything unlisted.
      return 0;
  }
}

void IEffectVST::ConnectChannels(const VstSpeakerArrangement* arrangement, bool input) {
  if (!arrangement) return;
  const int total = input ? NumInputs() : NumOutputs();
  int n = arrangement->numChannels;
  n = n < 0 ? 0 : n > total ? total : n;
  if (input) {
    SetInputConnections(0, n, true);
    SetInputConnections(n, total - n, false);
  } else {
    SetOutputConnections(0, n, true);
    SetOutputConnections(n, total - n, false);
  }
}

VstIntPtr IEffectVST::PinProperties(int index, VstPinProperties* pin, bool input) const {
  const int channels = input ? NumInputs() : NumOutputs();
  if (!pin || index < 0 || index >= channels) return 0;
  pin->flags = kVstPinIsActive;
  if (index % 2 == 0 && index < channels - 1) pin->flags |= kVstPinIsStereo;
  // The framework's channels carry no labels of their own.
  std::snprintf(pin->label, kPinLabelBytes, input ? "Input %d" : "Output %d", index + 1);
  return 1;
}

VstIntPtr IEffectVST::ProcessEvents(const VstEvents* events) {
  if (!events) return 0;
  for (VstInt32 i = 0; i < events->numEvents; ++i) {
    const VstEvent* event = events->events[i];
    if (!event) continue;
    if (event->type == kVstMidiType) {
      const VstMidiEvent* midi = reinterpret_cast<const VstMidiEvent*>(event);
      IMidiMsg msg;
      msg.offset = midi->deltaFrames;
      msg.status = static_cast<uint8_t>(midi->midiData[0]);
      msg.data1 = static_cast<uint8_t>(midi->midiData[1]);
      msg.data2 = static_cast<uint8_t>(midi->midiData[2]);
      ProcessMidiMessage(msg);
    } else if (event->type == kVstSysExType) {
      const VstMidiSysexEvent* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
      // A dump without bytes or with a negative size is nothing to pass on.
      if (!sysex->sysexDump || sysex->dumpBytes <= 0) continue;
      ISysEx msg;
      msg.offset = sysex->deltaFrames;
      msg.size = sysex->dumpBytes;
      msg.data = reinterpret_cast<const uint8_t*>(sysex->sysexDump);
      ProcessSysEx(msg);
    }
  }
  return 1;
}

VstIntPtr IEffectVST::CanDo(const char* query) {
  if (!query) return 0;
  if (std::strcmp(query, "receiveVstTimeInfo") == 0) return 1;
  if (std::strcmp(query, "sendVstEvents") == 0 || std::strcmp(query, "sendVstMidiEvent") == 0 ||
      std::strcmp(query, "receiveVstEvents") == 0 || std::strcmp(query, "receiveVstMidiEvent") == 0)
    return doesMidi_ ? 1 : 0;
  if (std::strcmp(query, "hasVendorExtensions") == 0) {
    hostExtensions_ |= 1;
    return kVendorCanDoAnswer;
  }
  if (std::strcmp(query, "hasVendorViewAsConfig") == 0) {
    hostExtensions_ |= 2;
    return kVendorCanDoAnswer;
  }
  return 0;
}

VstIntPtr IEffectVST::VendorSpecific(int index, VstIntPtr value, void* ptr, float opt) {
  const IEffectParam* param = GetParam(IndexFromValue(value));
  if (index == effGetParamDisplay) {
    if (!ptr) return 0;
    if (param) {
      char display[IEffectParam::kTextSize] = {};
      param->FormatValue(opt, true, display, true);
      CopyText(static_cast<char*>(ptr), display, kParamTextBytes);
    }
    return kVendorAnswer;
  }
  if (index == effGetParamName) return param && param->Type() != kParamDouble ? kVendorAnswer : 0;
  return 0;
}

VstIntPtr IEffectVST::String2Parameter(int index, const char* text) {
  IEffectParam* param = GetParam(index);
  if (!param) return 0;
  if (!text) return 1;
  double v = 0.0;
  if (param->DisplayTextCount() > 0) {
    if (!param->FindDisplayTextValue(text, &v)) return 0;
  } else {
    v = std::strtod(text, nullptr);  // the leading number; 0 when there is none
    if (param->NegateDisplay()) v = -v;
  }
  if (IEditorLink* editor = GetGUI()) editor->ShowParameterValue(index, v, false);
  // Clamped into the range; "nan" stores the minimum, "inf" the maximum.
  if (std::isnan(v)) v = param->Min();
  v = v < param->Min() ? param->Min() : v > param->Max() ? param->Max() : v;
  param->SetValue(v);
  ParamChanged(index);
  return 1;
}

// ---------------------------------------------------------------------------
// Chunks: index 0 is the bank, any other index the current program.

VstIntPtr IEffectVST::GetChunk(int index, void** data) {
  if (!data) return 0;
  const bool bank = index == 0;
  StateChunk& chunk = bank ? bankChunk_ : programChunk_;
  WriteChunkHeader(chunk);
  bool ok;
  if (bank) {
    ModifyCurrentPreset();  // the current preset holds the current values
    ok = SerializePresets(chunk);
  } else {
    ok = SaveState(chunk);
  }
  if (!ok || chunk.Size() <= 0) return 0;
  *data = chunk.Data();
  return chunk.Size();
}

VstIntPtr IEffectVST::SetChunk(int index, VstIntPtr size, const void* data) {
  if (!data || size <= 0 || size > kMaxChunkBytes) return 0;
  // Read from a copy of its own: the host may hand back the very pointer
  // effGetChunk gave it, and that block stays valid until the next get.
  StateChunk chunk;
  chunk.Assign(data, static_cast<int>(size));

  int pos = 0;
  const int version = ReadChunkHeader(chunk, &pos);
  if (pos < 0) return 0;
  const bool bank = index == 0 && version >= kStateVersion;
  if (bank) {
    pos = UnserializePresets(chunk, pos);
  } else {
    // A program shorter than the state the plug-in writes would leave the
    // missing parameters at their minimum: refuse it before anything changes.
    StateChunk current;
    SaveState(current);
    if (!chunk.Has(pos, current.Size())) return 0;
    pos = LoadState(chunk, pos);
    ModifyCurrentPreset();
  }
  if (pos < 0) return 0;
  RefreshParamControls();
  return 1;
}
