// IEffectVST: what the plug-in asks of its host, through audioMasterCallback.

#include <climits>
#include <cstring>

#include "IEffectVST.h"

using namespace vst2;

namespace {
// Host identifiers whose hosts only cope with stereo in and out.
bool NeedsStereoIO(int hostId) { return hostId == 15 || hostId == 17 || hostId == 18 || hostId == 20; }

// The host's decimal version (major x 10000 + minor x 100 + revision) packed
// as major << 16 | minor << 8 | revision. A negative answer means nothing.
int PackHostVersion(VstIntPtr decimal) {
  if (decimal <= 0) return 0;
  const long long d = decimal > INT_MAX ? INT_MAX : static_cast<long long>(decimal);
  return static_cast<int>((d / 10000) * 65536 + ((d % 10000) / 100) * 256 + d % 100);
}
}  // namespace

VstIntPtr IEffectVST::HostCall(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return hostCallback_ ? hostCallback_(&aeffect_, opcode, index, value, ptr, opt) : 0;
}

void IEffectVST::BeginParamEdit(int paramIdx) { HostCall(audioMasterBeginEdit, paramIdx); }

void IEffectVST::SendParamToHost(int paramIdx, double normalized) {
  HostCall(audioMasterAutomate, paramIdx, 0, nullptr, static_cast<float>(normalized));
}

void IEffectVST::EndParamEdit(int paramIdx) { HostCall(audioMasterEndEdit, paramIdx); }

void IEffectVST::SendPresetChangeToHost() { HostCall(audioMasterUpdateDisplay); }

bool IEffectVST::IsOfflineRender() {
  return HostCall(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline;
}

// ---------------------------------------------------------------------------
// Host identification

int IEffectVST::GetHostId() {
  if (host_ != -1) return host_;
  char product[256] = {};
  HostCall(audioMasterGetProductString, 0, 0, product);
  product[sizeof product - 1] = '\0';  // whatever the host wrote, it ends here
  int version = 0;
  if (product[0]) version = PackHostVersion(HostCall(audioMasterGetVendorVersion));
  SetHost(product, version);
  return host_;
}

void IEffectVST::InitForHost() {
  if (hostInitialized_) return;
  hostInitialized_ = true;
  if (NeedsStereoIO(GetHostId())) LimitToStereoIO();
  aeffect_.numInputs = NumInputs();
  aeffect_.numOutputs = NumOutputs();
  UpdateArrangements();
  OnHostKnown();
}

// ---------------------------------------------------------------------------
// Time information. The record belongs to the host and is read at once.

const VstTimeInfo* IEffectVST::HostTime(VstInt32 wanted) {
  return reinterpret_cast<const VstTimeInfo*>(HostCall(audioMasterGetTime, 0, wanted));
}

int IEffectVST::SamplePosition() {
  const VstTimeInfo* time = HostTime(0);
  if (!time || !(time->samplePos >= 0.0)) return 0;
  const double rounded = time->samplePos + 0.5;
  return rounded >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(rounded);
}

double IEffectVST::Tempo() {
  const VstTimeInfo* time = HostTime(kVstTempoValid);
  if (time && (time->flags & kVstTempoValid) && time->tempo >= 0.0) return time->tempo;
  return 0.0;
}

void IEffectVST::TimeSignature(int* numerator, int* denominator) {
  if (numerator) *numerator = 0;
  if (denominator) *denominator = 0;
  const VstTimeInfo* time = HostTime(kVstTimeSigValid);
  if (!time || !(time->flags & kVstTimeSigValid)) return;
  if (time->timeSigNumerator < 0 || time->timeSigDenominator < 0) return;
  if (numerator) *numerator = time->timeSigNumerator;
  if (denominator) *denominator = time->timeSigDenominator;
}

void IEffectVST::TransportTime(ITimeInfo* info) {
  constexpr VstInt32 kWanted = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid |
                               kVstTimeSigValid;  // 0x3E00
  if (!info) return;
  const VstTimeInfo* time = HostTime(kWanted);
  if (!time || !(time->flags & kWanted)) return;
  const VstInt32 flags = time->flags;
  info->samplePos = time->samplePos;
  if ((flags & kVstPpqPosValid) && time->ppqPos >= 0.0) info->ppqPos = time->ppqPos;
  if ((flags & kVstTempoValid) && time->tempo > 0.0) info->tempo = time->tempo;
  if ((flags & kVstBarsValid) && time->barStartPos >= 0.0) info->lastBar = time->barStartPos;
  if ((flags & kVstCyclePosValid) && time->cycleStartPos >= 0.0 && time->cycleEndPos >= 0.0) {
    info->cycleStart = time->cycleStartPos;
    info->cycleEnd = time->cycleEndPos;
  }
  if ((flags & kVstTimeSigValid) && time->timeSigNumerator > 0 && time->timeSigDenominator > 0) {
    info->numerator = time->timeSigNumerator;
    info->denominator = time->timeSigDenominator;
  }
  info->transportIsRunning = (flags & kVstTransportPlaying) != 0;
  info->transportLoopEnabled = (flags & kVstTransportCycleActive) != 0;
}

// ---------------------------------------------------------------------------
// MIDI out: one event per call, in records that live for the call.

bool IEffectVST::SendMidiMessage(const IMidiMsg& msg) {
  VstMidiEvent midi = {};
  midi.type = kVstMidiType;
  midi.byteSize = sizeof(VstMidiEvent);
  midi.deltaFrames = msg.offset;
  midi.midiData[0] = static_cast<char>(msg.status);
  midi.midiData[1] = static_cast<char>(msg.data1);
  midi.midiData[2] = static_cast<char>(msg.data2);
  VstEvents events = {};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&midi);
  return HostCall(audioMasterProcessEvents, 0, 0, &events) == 1;
}

bool IEffectVST::SendSysExMessage(const ISysEx& msg) {
  VstMidiSysexEvent sysex = {};
  sysex.type = kVstSysExType;
  sysex.byteSize = sizeof(VstMidiSysexEvent);
  sysex.deltaFrames = msg.offset;
  sysex.dumpBytes = msg.size;
  sysex.sysexDump = const_cast<char*>(reinterpret_cast<const char*>(msg.data));
  VstEvents events = {};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&sysex);
  return HostCall(audioMasterProcessEvents, 0, 0, &events) == 1;
}

// ---------------------------------------------------------------------------
// Editor and latency: recorded in the AEffect; a changed latency is also
// announced, so the host re-reads initialDelay and keeps compensating.

void IEffectVST::RefreshEditorRect() {
  const IEditorLink* editor = HostEditor();
  if (!editor) return;
  editorRect_.top = 0;
  editorRect_.left = 0;
  editorRect_.bottom = static_cast<VstInt16>(editor->Height());
  editorRect_.right = static_cast<VstInt16>(editor->Width());
}

void IEffectVST::AttachEditor(IEditorLink* editor) {
  if (!editor) return;
  IEffectBase::AttachEditor(editor);
  if (!HostEditor()) return;
  aeffect_.flags |= effFlagsHasEditor;
  RefreshEditorRect();
}

void IEffectVST::ResizeEditor(int, int) {
  if (!HostEditor()) return;
  RefreshEditorRect();
  OnEditorResize();
}

void IEffectVST::SetLatency(int samples) {
  const int before = GetLatency();
  IEffectBase::SetLatency(samples);
  aeffect_.initialDelay = GetLatency();
  if (GetLatency() != before) HostCall(audioMasterIOChanged);
}
