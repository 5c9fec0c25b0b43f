#pragma once
// Our declarations of the VST 2.4 binary interface: the records, function
// types, opcodes and constants that cross between a host and a VST2 module.
// Shared by the binding and by the host harness (tools/host), so both sides
// of every test speak exactly these layouts. Records carry no pack pragma:
// their natural layout is the published one on x86-64 Linux, x86-64 Windows
// and i686 Windows (the static_asserts at the end pin the 64-bit sizes).

#include <cstddef>
#include <cstdint>

// Every entry point of the interface is cdecl; on 64-bit targets there is one
// convention only, so the attribute is spelled out for i686 Windows alone.
#if defined(_WIN32) && !defined(_WIN64)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

namespace vst2 {

using VstInt16 = int16_t;
using VstInt32 = int32_t;
using VstIntPtr = intptr_t;  // pointer-sized on every target (never `long`: 32 bits on Win64)

struct AEffect;

using audioMasterCallback = VstIntPtr(VSTCALLBACK*)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                     VstIntPtr value, void* ptr, float opt);
using AEffectDispatcherProc = VstIntPtr(VSTCALLBACK*)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                       VstIntPtr value, void* ptr, float opt);
using AEffectProcessProc = void(VSTCALLBACK*)(AEffect* effect, float** inputs, float** outputs,
                                               VstInt32 sampleFrames);
using AEffectProcessDoubleProc = void(VSTCALLBACK*)(AEffect* effect, double** inputs, double** outputs,
                                                     VstInt32 sampleFrames);
using AEffectSetParameterProc = void(VSTCALLBACK*)(AEffect* effect, VstInt32 index, float parameter);
using AEffectGetParameterProc = float(VSTCALLBACK*)(AEffect* effect, VstInt32 index);
using VSTPluginMainProc = AEffect*(VSTCALLBACK*)(audioMasterCallback host);

// Owned by the plug-in and valid until effClose returns; the host only reads
// it, apart from `user`, which belongs to the host.
struct AEffect {
  VstInt32 magic;
  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process;  // the old accumulating call
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  VstInt32 numPrograms;
  VstInt32 numParams;
  VstInt32 numInputs;
  VstInt32 numOutputs;
  VstInt32 flags;
  VstIntPtr resvd1;
  VstIntPtr resvd2;
  VstInt32 initialDelay;
  VstInt32 realQualities;
  VstInt32 offQualities;
  float ioRatio;
  void* object;
  void* user;
  VstInt32 uniqueID;
  VstInt32 version;
  AEffectProcessProc processReplacing;
  AEffectProcessDoubleProc processDoubleReplacing;
  char future[56];
};

struct ERect {
  VstInt16 top;
  VstInt16 left;
  VstInt16 bottom;
  VstInt16 right;
};

struct VstEvent {
  VstInt32 type;
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  char data[16];
};

struct VstMidiEvent {
  VstInt32 type;  // kVstMidiType
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  VstInt32 noteLength;
  VstInt32 noteOffset;
  char midiData[4];
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};

struct VstMidiSysexEvent {
  VstInt32 type;  // kVstSysExType
  VstInt32 byteSize;
  VstInt32 deltaFrames;
  VstInt32 flags;
  VstInt32 dumpBytes;
  VstIntPtr resvd1;
  char* sysexDump;
  VstIntPtr resvd2;
};

// Variable length: `events` really holds numEvents entries.
struct VstEvents {
  VstInt32 numEvents;
  VstIntPtr reserved;
  VstEvent* events[2];
};

struct VstTimeInfo {
  double samplePos;
  double sampleRate;
  double nanoSeconds;
  double ppqPos;
  double tempo;
  double barStartPos;
  double cycleStartPos;
  double cycleEndPos;
  VstInt32 timeSigNumerator;
  VstInt32 timeSigDenominator;
  VstInt32 smpteOffset;
  VstInt32 smpteFrameRate;
  VstInt32 samplesToNextClock;
  VstInt32 flags;
};

struct VstPinProperties {
  char label[64];
  VstInt32 flags;
  VstInt32 arrangementType;
  char shortLabel[8];
  char future[48];
};

struct VstSpeakerProperties {
  float azimuth;
  float elevation;
  float radius;
  float reserved;
  char name[64];
  VstInt32 type;
  char future[28];
};

struct VstSpeakerArrangement {
  VstInt32 type;
  VstInt32 numChannels;
  VstSpeakerProperties speakers[8];
};

struct MidiKeyName {
  VstInt32 thisProgramIndex;
  VstInt32 thisKeyNumber;
  char keyName[64];
  VstInt32 reserved;
  VstInt32 flags;
};

constexpr VstInt32 FourCC(char a, char b, char c, char d) {
  return static_cast<VstInt32>((static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
                               (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
                               (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) |
                               static_cast<uint32_t>(static_cast<uint8_t>(d)));
}

constexpr VstInt32 kEffectMagic = FourCC('V', 's', 't', 'P');  // 0x56737450
constexpr VstInt32 kEffectIdentify = FourCC('N', 'v', 'E', 'f');
constexpr VstInt32 kVstVersion = 2400;

// Dispatcher opcodes (host to plug-in).
enum EffectOpcode : VstInt32 {
  effOpen = 0,
  effClose = 1,
  effSetProgram = 2,
  effGetProgram = 3,
  effSetProgramName = 4,
  effGetProgramName = 5,
  effGetParamLabel = 6,
  effGetParamDisplay = 7,
  effGetParamName = 8,
  effSetSampleRate = 10,
  effSetBlockSize = 11,
  effMainsChanged = 12,
  effEditGetRect = 13,
  effEditOpen = 14,
  effEditClose = 15,
  effEditIdle = 19,
  effIdentify = 22,
  effGetChunk = 23,
  effSetChunk = 24,
  effProcessEvents = 25,
  effCanBeAutomated = 26,
  effString2Parameter = 27,
  effGetProgramNameIndexed = 29,
  effGetInputProperties = 33,
  effGetOutputProperties = 34,
  effGetPlugCategory = 35,
  effProcessVarIo = 41,
  effSetSpeakerArrangement = 42,
  effSetBypass = 44,
  effGetEffectName = 45,
  effGetVendorString = 47,
  effGetProductString = 48,
  effGetVendorVersion = 49,
  effVendorSpecific = 50,
  effCanDo = 51,
  effGetTailSize = 52,
  effIdle = 53,
  effGetParameterProperties = 56,
  effGetVstVersion = 58,
  effGetMidiKeyName = 66,
  effBeginSetProgram = 67,
  effEndSetProgram = 68,
  effGetSpeakerArrangement = 69,
  effShellGetNextPlugin = 70,
  effStartProcess = 71,
  effStopProcess = 72,
  effSetProcessPrecision = 77,
};

// Host callback opcodes (plug-in to host).
enum HostOpcode : VstInt32 {
  audioMasterAutomate = 0,
  audioMasterVersion = 1,
  audioMasterCurrentId = 2,
  audioMasterIdle = 3,
  audioMasterWantMidi = 6,
  audioMasterGetTime = 7,
  audioMasterProcessEvents = 8,
  audioMasterIOChanged = 13,
  audioMasterSizeWindow = 15,
  audioMasterGetSampleRate = 16,
  audioMasterGetBlockSize = 17,
  audioMasterGetCurrentProcessLevel = 23,
  audioMasterGetAutomationState = 24,
  audioMasterGetVendorString = 32,
  audioMasterGetProductString = 33,
  audioMasterGetVendorVersion = 34,
  audioMasterVendorSpecific = 35,
  audioMasterCanDo = 37,
  audioMasterGetLanguage = 38,
  audioMasterGetDirectory = 41,
  audioMasterUpdateDisplay = 42,
  audioMasterBeginEdit = 43,
  audioMasterEndEdit = 44,
};

// AEffect::flags
constexpr VstInt32 effFlagsHasEditor = 1;
constexpr VstInt32 effFlagsCanMono = 8;
constexpr VstInt32 effFlagsCanReplacing = 16;
constexpr VstInt32 effFlagsProgramChunks = 32;
constexpr VstInt32 effFlagsIsSynth = 256;
constexpr VstInt32 effFlagsCanDoubleReplacing = 4096;

// Event types.
constexpr VstInt32 kVstMidiType = 1;
constexpr VstInt32 kVstSysExType = 6;

// VstTimeInfo::flags
constexpr VstInt32 kVstTransportChanged = 1;
constexpr VstInt32 kVstTransportPlaying = 2;
constexpr VstInt32 kVstTransportCycleActive = 4;
constexpr VstInt32 kVstPpqPosValid = 512;
constexpr VstInt32 kVstTempoValid = 1024;
constexpr VstInt32 kVstBarsValid = 2048;
constexpr VstInt32 kVstCyclePosValid = 4096;
constexpr VstInt32 kVstTimeSigValid = 8192;

// VstPinProperties::flags
constexpr VstInt32 kVstPinIsActive = 1;
constexpr VstInt32 kVstPinIsStereo = 2;
constexpr VstInt32 kVstPinUseSpeaker = 4;

constexpr VstInt32 kPlugCategEffect = 1;
constexpr VstInt32 kPlugCategSynth = 2;

constexpr VstInt32 kVstProcessLevelOffline = 4;

constexpr VstInt32 kSpeakerArrUserDefined = -2;
constexpr VstInt32 kSpeakerArrEmpty = -1;
constexpr VstInt32 kSpeakerArrMono = 0;
constexpr VstInt32 kSpeakerArrStereo = 1;

// Text sizes, terminator included, that every known host allocates at least
// (the nominal limits of some requests are smaller, and hosts rely on more).
constexpr int kParamTextBytes = 32;    // parameter name, label and display
constexpr int kProgramNameBytes = 24;  // program names
constexpr int kEffectNameBytes = 32;
constexpr int kVendorTextBytes = 64;   // vendor and product strings
constexpr int kPinLabelBytes = 64;
constexpr int kKeyNameBytes = 64;

// Wrapper sizes on 64-bit targets; i686 differs only where pointers are involved.
#if INTPTR_MAX == INT64_MAX
static_assert(sizeof(AEffect) == 192, "AEffect layout");
static_assert(offsetof(AEffect, flags) == 56 && offsetof(AEffect, initialDelay) == 80, "AEffect layout");
static_assert(offsetof(AEffect, object) == 96 && offsetof(AEffect, uniqueID) == 112, "AEffect layout");
static_assert(offsetof(AEffect, processDoubleReplacing) == 128, "AEffect layout");
static_assert(sizeof(VstEvents) == 32 && offsetof(VstEvents, events) == 16, "VstEvents layout");
static_assert(sizeof(VstMidiSysexEvent) == 48 && offsetof(VstMidiSysexEvent, sysexDump) == 32,
              "VstMidiSysexEvent layout");
#else
static_assert(sizeof(AEffect) == 144, "AEffect layout");
static_assert(sizeof(VstEvents) == 16, "VstEvents layout");
#endif
static_assert(sizeof(ERect) == 8, "ERect layout");
static_assert(sizeof(VstMidiEvent) == 32 && sizeof(VstEvent) == 32, "event layout");
static_assert(sizeof(VstTimeInfo) == 88 && offsetof(VstTimeInfo, flags) == 84, "VstTimeInfo layout");
static_assert(sizeof(VstPinProperties) == 128, "VstPinProperties layout");
static_assert(sizeof(VstSpeakerArrangement) == 904, "VstSpeakerArrangement layout");
static_assert(sizeof(MidiKeyName) == 80, "MidiKeyName layout");

}  // namespace vst2
