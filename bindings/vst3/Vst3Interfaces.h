#pragma once
// Our own declarations of the VST 3 interfaces the module and the host harness
// use: basic types, result codes, identifiers, records and interface vtables.
//
// Binary rules these declarations keep:
// - every interface is a class with a single base, no data and only pure
//   virtual methods in the published slot order; no virtual destructors and
//   no overloaded names, so g++ and MSVC lay the vtables out alike;
// - every method is VST3_API: __stdcall on Windows (32-bit hosts call every
//   slot, the FUnknown ones included, with stdcall), nothing elsewhere;
// - records have their natural layout, except the two note-expression event
//   records, which are packed to 4 on 32-bit Windows (so Event is 40 bytes there);
// - result codes are COM HRESULTs on Windows and small integers on Linux:
//   compare only with the named constants;
// - identifiers are built from their four published words by the platform
//   rule (COM byte order on Windows, plain big-endian elsewhere).
//
// IComponent and IEditController both have getState/setState with the same
// signature; here the controller pair is named getControllerState and
// setControllerState so one class can answer the two pairs differently.

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(_WIN32)
#define VST3_API __stdcall
#else
#define VST3_API
#endif

namespace vst3 {

using int8 = char;
using uint8 = std::uint8_t;
using int16 = std::int16_t;
using uint16 = std::uint16_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;
using tresult = int32;
using TBool = uint8;
using char8 = char;
using char16 = char16_t;
using TChar = char16;
using String128 = TChar[128];
using FIDString = const char8*;
using TUID = char[16];
using CString = const char8*;
using ParamID = uint32;
using ParamValue = double;
using SampleRate = double;
using TSamples = int64;
using TQuarterNotes = double;
using Sample32 = float;
using Sample64 = double;
using SpeakerArrangement = uint64;
using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;
using UnitID = int32;
using ProgramListID = int32;
using KnobMode = int32;
using UCoord = int32;

#if defined(_WIN32)
constexpr tresult kNoInterface = static_cast<tresult>(0x80004002L);
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057L);
constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001L);
constexpr tresult kInternalError = static_cast<tresult>(0x80004005L);
constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFL);
constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000EL);
#else
constexpr tresult kNoInterface = -1;
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = 2;
constexpr tresult kNotImplemented = 3;
constexpr tresult kInternalError = 4;
constexpr tresult kNotInitialized = 5;
constexpr tresult kOutOfMemory = 6;
#endif

// ---------------------------------------------------------------------------
// Identifiers

struct Uid {
  char bytes[16];
  bool Matches(const void* other) const { return other && std::memcmp(bytes, other, 16) == 0; }
};

// The 16 bytes of an identifier published as four 32-bit words.
constexpr Uid MakeUid(uint32 l1, uint32 l2, uint32 l3, uint32 l4) {
  Uid u{};
  auto put = [&u](int at, uint32 v, bool littleEndian) {
    for (int i = 0; i < 4; ++i) {
      const int shift = littleEndian ? 8 * i : 8 * (3 - i);
      u.bytes[at + i] = static_cast<char>((v >> shift) & 0xFF);
    }
  };
#if defined(_WIN32)
  // COM GUID memory order: Data1 little-endian, Data2 and Data3 little-endian halves.
  put(0, l1, true);
  u.bytes[4] = static_cast<char>((l2 >> 16) & 0xFF);
  u.bytes[5] = static_cast<char>((l2 >> 24) & 0xFF);
  u.bytes[6] = static_cast<char>(l2 & 0xFF);
  u.bytes[7] = static_cast<char>((l2 >> 8) & 0xFF);
#else
  put(0, l1, false);
  put(4, l2, false);
#endif
  put(8, l3, false);
  put(12, l4, false);
  return u;
}

// ---------------------------------------------------------------------------
// Constants

enum MediaTypes : int32 { kAudio = 0, kEvent = 1 };
enum BusDirections : int32 { kInput = 0, kOutput = 1 };
enum BusTypes : int32 { kMain = 0, kAux = 1 };
enum SymbolicSampleSizes : int32 { kSample32 = 0, kSample64 = 1 };
enum ProcessModes : int32 { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
enum RestartFlags : int32 { kReloadComponent = 1, kIoChanged = 2, kParamValuesChanged = 4, kLatencyChanged = 8 };
enum SeekModes : int32 { kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2 };

constexpr UnitID kRootUnitId = 0;
constexpr UnitID kNoParentUnitId = -1;
constexpr ProgramListID kNoProgramListId = -1;

namespace SpeakerArr {
constexpr SpeakerArrangement kEmpty = 0;
constexpr SpeakerArrangement kMono = 0x80000;
constexpr SpeakerArrangement kStereo = 0x3;
constexpr SpeakerArrangement k30Music = 0x103;
constexpr SpeakerArrangement kBFormat1stOrder = 0xF00000;
constexpr SpeakerArrangement k50 = 0x37;
constexpr SpeakerArrangement k51 = 0x3F;
}  // namespace SpeakerArr

constexpr const char* kVstAudioEffectClass = "Audio Module Class";
constexpr const char* kEditorViewName = "editor";
constexpr const char* kPlatformTypeHWND = "HWND";
constexpr const char* kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";

// ---------------------------------------------------------------------------
// Records

struct PFactoryInfo {
  enum { kNoFlags = 0, kClassesDiscardable = 1, kComponentNonDiscardable = 8, kUnicode = 16 };
  char8 vendor[64];
  char8 url[256];
  char8 email[128];
  int32 flags;
};

struct PClassInfo {
  enum { kManyInstances = 0x7FFFFFFF };
  TUID cid;
  int32 cardinality;
  char8 category[32];
  char8 name[64];
};

struct PClassInfo2 {
  TUID cid;
  int32 cardinality;
  char8 category[32];
  char8 name[64];
  uint32 classFlags;
  char8 subCategories[128];
  char8 vendor[64];
  char8 version[64];
  char8 sdkVersion[64];
};

struct PClassInfoW {
  TUID cid;
  int32 cardinality;
  char8 category[32];
  char16 name[64];
  uint32 classFlags;
  char8 subCategories[128];
  char16 vendor[64];
  char16 version[64];
  char16 sdkVersion[64];
};

enum ComponentFlags : uint32 { kDistributable = 1, kSimpleModeSupported = 2 };

struct ProcessSetup {
  int32 processMode;
  int32 symbolicSampleSize;
  int32 maxSamplesPerBlock;
  SampleRate sampleRate;
};

struct AudioBusBuffers {
  int32 numChannels;
  uint64 silenceFlags;
  union {
    Sample32** channelBuffers32;
    Sample64** channelBuffers64;
  };
};

struct FrameRate {
  uint32 framesPerSecond;
  uint32 flags;
};

struct Chord {
  uint8 keyNote;
  uint8 rootNote;
  int16 chordMask;
};

struct ProcessContext {
  enum StatesAndFlags : uint32 {
    kPlaying = 1 << 1,
    kCycleActive = 1 << 2,
    kRecording = 1 << 3,
    kProjectTimeMusicValid = 1 << 9,
    kTempoValid = 1 << 10,
    kBarPositionValid = 1 << 11,
    kCycleValid = 1 << 12,
    kTimeSigValid = 1 << 13,
  };
  uint32 state;
  double sampleRate;
  TSamples projectTimeSamples;
  int64 systemTime;
  TSamples continousTimeSamples;
  TQuarterNotes projectTimeMusic;
  TQuarterNotes barPositionMusic;
  TQuarterNotes cycleStartMusic;
  TQuarterNotes cycleEndMusic;
  double tempo;
  int32 timeSigNumerator;
  int32 timeSigDenominator;
  Chord chord;
  int32 smpteOffsetSubframes;
  FrameRate frameRate;
  int32 samplesToNextClock;
};

class IParameterChanges;
class IEventList;

struct ProcessData {
  int32 processMode;
  int32 symbolicSampleSize;
  int32 numSamples;
  int32 numInputs;
  int32 numOutputs;
  AudioBusBuffers* inputs;
  AudioBusBuffers* outputs;
  IParameterChanges* inputParameterChanges;
  IParameterChanges* outputParameterChanges;
  IEventList* inputEvents;
  IEventList* outputEvents;
  ProcessContext* processContext;
};

struct ParameterInfo {
  enum ParameterFlags : int32 {
    kNoFlags = 0,
    kCanAutomate = 1 << 0,
    kIsReadOnly = 1 << 1,
    kIsWrapAround = 1 << 2,
    kIsList = 1 << 3,
    kIsProgramChange = 1 << 15,
    kIsBypass = 1 << 16,
  };
  ParamID id;
  String128 title;
  String128 shortTitle;
  String128 units;
  int32 stepCount;
  ParamValue defaultNormalizedValue;
  UnitID unitId;
  int32 flags;
};

struct BusInfo {
  enum BusFlags : uint32 { kDefaultActive = 1 };
  MediaType mediaType;
  BusDirection direction;
  int32 channelCount;
  String128 name;
  BusType busType;
  uint32 flags;
};

struct RoutingInfo {
  MediaType mediaType;
  int32 busIndex;
  int32 channel;
};

struct UnitInfo {
  UnitID id;
  UnitID parentUnitId;
  String128 name;
  ProgramListID programListId;
};

struct ProgramListInfo {
  ProgramListID id;
  String128 name;
  int32 programCount;
};

struct ViewRect {
  int32 left;
  int32 top;
  int32 right;
  int32 bottom;
};

struct ContextMenuItem {
  String128 name;
  int32 tag;
  int32 flags;
};

// Events (only read by plug-ins that take MIDI; declared for the layout).
struct NoteOnEvent {
  int16 channel;
  int16 pitch;
  float tuning;
  float velocity;
  int32 length;
  int32 noteId;
};

struct NoteOffEvent {
  int16 channel;
  int16 pitch;
  float velocity;
  int32 noteId;
  float tuning;
};

struct DataEvent {
  uint32 size;
  uint32 type;
  const uint8* bytes;
};

struct PolyPressureEvent {
  int16 channel;
  int16 pitch;
  float pressure;
  int32 noteId;
};

#if defined(_WIN32) && !defined(_WIN64)
#pragma pack(push, 4)
#endif
struct NoteExpressionValueEvent {
  uint32 typeId;
  int32 noteId;
  double value;
};

struct NoteExpressionTextEvent {
  uint32 typeId;
  int32 noteId;
  uint32 textLen;
  const TChar* text;
};
#if defined(_WIN32) && !defined(_WIN64)
#pragma pack(pop)
#endif

struct ChordEvent {
  int16 root;
  int16 bassNote;
  int16 mask;
  uint16 textLen;
  const TChar* text;
};

struct ScaleEvent {
  int16 root;
  int16 mask;
  uint16 textLen;
  const TChar* text;
};

struct LegacyMIDICCOutEvent {
  uint8 controlNumber;
  int8 channel;
  int8 value;
  int8 value2;
};

struct Event {
  enum EventTypes : uint16 { kNoteOnEvent = 0, kNoteOffEvent = 1, kDataEvent = 2 };
  int32 busIndex;
  int32 sampleOffset;
  TQuarterNotes ppqPosition;
  uint16 flags;
  uint16 type;
  union {
    NoteOnEvent noteOn;
    NoteOffEvent noteOff;
    DataEvent data;
    PolyPressureEvent polyPressure;
    NoteExpressionValueEvent noteExpressionValue;
    NoteExpressionTextEvent noteExpressionText;
    ChordEvent chord;
    ScaleEvent scale;
    LegacyMIDICCOutEvent midiCCOut;
  };
};

static_assert(sizeof(PFactoryInfo) == 452 && sizeof(PClassInfo) == 116, "factory record layout");
static_assert(sizeof(PClassInfo2) == 440 && sizeof(PClassInfoW) == 696, "class record layout");
static_assert(sizeof(ProcessSetup) == 24 && offsetof(ProcessSetup, sampleRate) == 16, "ProcessSetup layout");
static_assert(sizeof(AudioBusBuffers) == 24 && offsetof(AudioBusBuffers, channelBuffers32) == 16,
              "AudioBusBuffers layout");
static_assert(sizeof(ProcessContext) == 112 && offsetof(ProcessContext, samplesToNextClock) == 104,
              "ProcessContext layout");
static_assert(sizeof(ParameterInfo) == 792 && offsetof(ParameterInfo, defaultNormalizedValue) == 776,
              "ParameterInfo layout");
static_assert(sizeof(BusInfo) == 276 && sizeof(UnitInfo) == 268 && sizeof(ProgramListInfo) == 264,
              "bus and unit record layout");
static_assert(sizeof(ViewRect) == 16 && sizeof(ContextMenuItem) == 264, "view record layout");
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(ProcessData) == 48 && offsetof(ProcessData, processContext) == 44, "ProcessData layout");
static_assert(sizeof(Event) == 40 && offsetof(Event, noteOn) == 20, "Event layout");
#else
static_assert(sizeof(ProcessData) == 80 && offsetof(ProcessData, processContext) == 72, "ProcessData layout");
static_assert(sizeof(Event) == 48 && offsetof(Event, noteOn) == 24, "Event layout");
#endif

// ---------------------------------------------------------------------------
// Interfaces

class FUnknown {
 public:
  virtual tresult VST3_API queryInterface(const TUID iid, void** obj) = 0;
  virtual uint32 VST3_API addRef() = 0;
  virtual uint32 VST3_API release() = 0;
  static constexpr Uid iid = MakeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);
};

class IPluginBase : public FUnknown {
 public:
  virtual tresult VST3_API initialize(FUnknown* context) = 0;
  virtual tresult VST3_API terminate() = 0;
  static constexpr Uid iid = MakeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);
};

class IPluginFactory : public FUnknown {
 public:
  virtual tresult VST3_API getFactoryInfo(PFactoryInfo* info) = 0;
  virtual int32 VST3_API countClasses() = 0;
  virtual tresult VST3_API getClassInfo(int32 index, PClassInfo* info) = 0;
  virtual tresult VST3_API createInstance(FIDString cid, FIDString iid, void** obj) = 0;
  static constexpr Uid iid = MakeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);
};

class IPluginFactory2 : public IPluginFactory {
 public:
  virtual tresult VST3_API getClassInfo2(int32 index, PClassInfo2* info) = 0;
  static constexpr Uid iid = MakeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);
};

class IPluginFactory3 : public IPluginFactory2 {
 public:
  virtual tresult VST3_API getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
  virtual tresult VST3_API setHostContext(FUnknown* context) = 0;
  static constexpr Uid iid = MakeUid(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);
};

class IBStream : public FUnknown {
 public:
  virtual tresult VST3_API read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
  virtual tresult VST3_API write(void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
  virtual tresult VST3_API seek(int64 pos, int32 mode, int64* result) = 0;
  virtual tresult VST3_API tell(int64* pos) = 0;
  static constexpr Uid iid = MakeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);
};

class IComponent : public IPluginBase {
 public:
  virtual tresult VST3_API getControllerClassId(TUID classId) = 0;
  virtual tresult VST3_API setIoMode(IoMode mode) = 0;
  virtual int32 VST3_API getBusCount(MediaType type, BusDirection dir) = 0;
  virtual tresult VST3_API getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) = 0;
  virtual tresult VST3_API getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
  virtual tresult VST3_API activateBus(MediaType type, BusDirection dir, int32 index, TBool state) = 0;
  virtual tresult VST3_API setActive(TBool state) = 0;
  virtual tresult VST3_API setState(IBStream* state) = 0;
  virtual tresult VST3_API getState(IBStream* state) = 0;
  static constexpr Uid iid = MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);
};

class IAudioProcessor : public FUnknown {
 public:
  virtual tresult VST3_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                              SpeakerArrangement* outputs, int32 numOuts) = 0;
  virtual tresult VST3_API getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) = 0;
  virtual tresult VST3_API canProcessSampleSize(int32 symbolicSampleSize) = 0;
  virtual uint32 VST3_API getLatencySamples() = 0;
  virtual tresult VST3_API setupProcessing(ProcessSetup& setup) = 0;
  virtual tresult VST3_API setProcessing(TBool state) = 0;
  virtual tresult VST3_API process(ProcessData& data) = 0;
  virtual uint32 VST3_API getTailSamples() = 0;
  static constexpr Uid iid = MakeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);
};

class IComponentHandler;
class IPlugView;

class IEditController : public IPluginBase {
 public:
  virtual tresult VST3_API setComponentState(IBStream* state) = 0;
  // Slots 6 and 7, published as setState/getState.
  virtual tresult VST3_API setControllerState(IBStream* state) = 0;
  virtual tresult VST3_API getControllerState(IBStream* state) = 0;
  virtual int32 VST3_API getParameterCount() = 0;
  virtual tresult VST3_API getParameterInfo(int32 paramIndex, ParameterInfo& info) = 0;
  virtual tresult VST3_API getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) = 0;
  virtual tresult VST3_API getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) = 0;
  virtual ParamValue VST3_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
  virtual ParamValue VST3_API plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
  virtual ParamValue VST3_API getParamNormalized(ParamID id) = 0;
  virtual tresult VST3_API setParamNormalized(ParamID id, ParamValue value) = 0;
  virtual tresult VST3_API setComponentHandler(IComponentHandler* handler) = 0;
  virtual IPlugView* VST3_API createView(FIDString name) = 0;
  static constexpr Uid iid = MakeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);
};

class IEditController2 : public FUnknown {
 public:
  virtual tresult VST3_API setKnobMode(KnobMode mode) = 0;
  virtual tresult VST3_API openHelp(TBool onlyCheck) = 0;
  virtual tresult VST3_API openAboutBox(TBool onlyCheck) = 0;
  static constexpr Uid iid = MakeUid(0x7F4EFE59, 0xF3204967, 0xAC27A3AE, 0xAFB63038);
};

class IMessage;

class IConnectionPoint : public FUnknown {
 public:
  virtual tresult VST3_API connect(IConnectionPoint* other) = 0;
  virtual tresult VST3_API disconnect(IConnectionPoint* other) = 0;
  virtual tresult VST3_API notify(IMessage* message) = 0;
  static constexpr Uid iid = MakeUid(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);
};

class IUnitInfo : public FUnknown {
 public:
  virtual int32 VST3_API getUnitCount() = 0;
  virtual tresult VST3_API getUnitInfo(int32 unitIndex, UnitInfo& info) = 0;
  virtual int32 VST3_API getProgramListCount() = 0;
  virtual tresult VST3_API getProgramListInfo(int32 listIndex, ProgramListInfo& info) = 0;
  virtual tresult VST3_API getProgramName(ProgramListID listId, int32 programIndex, String128 name) = 0;
  virtual tresult VST3_API getProgramInfo(ProgramListID listId, int32 programIndex, CString attributeId,
                                          String128 attributeValue) = 0;
  virtual tresult VST3_API hasProgramPitchNames(ProgramListID listId, int32 programIndex) = 0;
  virtual tresult VST3_API getProgramPitchName(ProgramListID listId, int32 programIndex, int16 midiPitch,
                                               String128 name) = 0;
  virtual UnitID VST3_API getSelectedUnit() = 0;
  virtual tresult VST3_API selectUnit(UnitID unitId) = 0;
  virtual tresult VST3_API getUnitByBus(MediaType type, BusDirection dir, int32 busIndex, int32 channel,
                                        UnitID& unitId) = 0;
  virtual tresult VST3_API setUnitProgramData(int32 listOrUnitId, int32 programIndex, IBStream* data) = 0;
  static constexpr Uid iid = MakeUid(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);
};

class IPlugFrame;

class IPlugView : public FUnknown {
 public:
  virtual tresult VST3_API isPlatformTypeSupported(FIDString type) = 0;
  virtual tresult VST3_API attached(void* parent, FIDString type) = 0;
  virtual tresult VST3_API removed() = 0;
  virtual tresult VST3_API onWheel(float distance) = 0;
  virtual tresult VST3_API onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;
  virtual tresult VST3_API onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;
  virtual tresult VST3_API getSize(ViewRect* size) = 0;
  virtual tresult VST3_API onSize(ViewRect* newSize) = 0;
  virtual tresult VST3_API onFocus(TBool state) = 0;
  virtual tresult VST3_API setFrame(IPlugFrame* frame) = 0;
  virtual tresult VST3_API canResize() = 0;
  virtual tresult VST3_API checkSizeConstraint(ViewRect* rect) = 0;
  static constexpr Uid iid = MakeUid(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);
};

class IPlugFrame : public FUnknown {
 public:
  virtual tresult VST3_API resizeView(IPlugView* view, ViewRect* newSize) = 0;
  static constexpr Uid iid = MakeUid(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);
};

// The host's run loop on Linux, offered by the IPlugFrame: it watches a file
// descriptor and runs timers on the host's UI thread.
namespace Linux {
using FileDescriptor = int;
using TimerInterval = uint64;  // milliseconds

class IEventHandler : public FUnknown {
 public:
  virtual void VST3_API onFDIsSet(FileDescriptor fd) = 0;
  static constexpr Uid iid = MakeUid(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);
};

class ITimerHandler : public FUnknown {
 public:
  virtual void VST3_API onTimer() = 0;
  static constexpr Uid iid = MakeUid(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);
};

class IRunLoop : public FUnknown {
 public:
  virtual tresult VST3_API registerEventHandler(IEventHandler* handler, FileDescriptor fd) = 0;
  virtual tresult VST3_API unregisterEventHandler(IEventHandler* handler) = 0;
  virtual tresult VST3_API registerTimer(ITimerHandler* handler, TimerInterval milliseconds) = 0;
  virtual tresult VST3_API unregisterTimer(ITimerHandler* handler) = 0;
  static constexpr Uid iid = MakeUid(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);
};
}  // namespace Linux

class IHostApplication : public FUnknown {
 public:
  virtual tresult VST3_API getName(String128 name) = 0;
  virtual tresult VST3_API createInstance(TUID cid, TUID iid, void** obj) = 0;
  static constexpr Uid iid = MakeUid(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);
};

class IComponentHandler : public FUnknown {
 public:
  virtual tresult VST3_API beginEdit(ParamID id) = 0;
  virtual tresult VST3_API performEdit(ParamID id, ParamValue valueNormalized) = 0;
  virtual tresult VST3_API endEdit(ParamID id) = 0;
  virtual tresult VST3_API restartComponent(int32 flags) = 0;
  static constexpr Uid iid = MakeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);
};

class IContextMenuTarget : public FUnknown {
 public:
  virtual tresult VST3_API executeMenuItem(int32 tag) = 0;
  static constexpr Uid iid = MakeUid(0x3CDF2E75, 0x85D34144, 0xBF86D36B, 0xD7C4894D);
};

class IContextMenu : public FUnknown {
 public:
  virtual int32 VST3_API getItemCount() = 0;
  virtual tresult VST3_API getItem(int32 index, ContextMenuItem& item, IContextMenuTarget** target) = 0;
  virtual tresult VST3_API addItem(const ContextMenuItem& item, IContextMenuTarget* target) = 0;
  virtual tresult VST3_API removeItem(const ContextMenuItem& item, IContextMenuTarget* target) = 0;
  virtual tresult VST3_API popup(UCoord x, UCoord y) = 0;
  static constexpr Uid iid = MakeUid(0x2E93C863, 0x0C9C4588, 0x97DBECF5, 0xAD17817D);
};

class IComponentHandler3 : public FUnknown {
 public:
  virtual IContextMenu* VST3_API createContextMenu(IPlugView* plugView, const ParamID* paramID) = 0;
  static constexpr Uid iid = MakeUid(0x69F11617, 0xD26B400D, 0xA4B6B964, 0x7B6EBBAB);
};

class IParamValueQueue : public FUnknown {
 public:
  virtual ParamID VST3_API getParameterId() = 0;
  virtual int32 VST3_API getPointCount() = 0;
  virtual tresult VST3_API getPoint(int32 index, int32& sampleOffset, ParamValue& value) = 0;
  virtual tresult VST3_API addPoint(int32 sampleOffset, ParamValue value, int32& index) = 0;
  static constexpr Uid iid = MakeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);
};

class IParameterChanges : public FUnknown {
 public:
  virtual int32 VST3_API getParameterCount() = 0;
  virtual IParamValueQueue* VST3_API getParameterData(int32 index) = 0;
  virtual IParamValueQueue* VST3_API addParameterData(const ParamID& id, int32& index) = 0;
  static constexpr Uid iid = MakeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);
};

class IEventList : public FUnknown {
 public:
  virtual int32 VST3_API getEventCount() = 0;
  virtual tresult VST3_API getEvent(int32 index, Event& e) = 0;
  virtual tresult VST3_API addEvent(Event& e) = 0;
  static constexpr Uid iid = MakeUid(0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44);
};

// ---------------------------------------------------------------------------
// Text helpers shared by the module and the host harness.

// Widens an 8-bit text into a UTF-16 field of size units, always terminated.
inline void CopyToUtf16(char16* dest, const char* src, int size) {
  if (!dest || size <= 0) return;
  int n = 0;
  if (src) {
    for (; n < size - 1 && src[n]; ++n) dest[n] = static_cast<char16>(static_cast<unsigned char>(src[n]));
  }
  for (int i = n; i < size; ++i) dest[i] = 0;
}

// Narrows a UTF-16 text to ASCII (other characters become '?'), always terminated.
inline void CopyToAscii(char* dest, const char16* src, int size) {
  if (!dest || size <= 0) return;
  int n = 0;
  if (src) {
    for (; n < size - 1 && src[n]; ++n) dest[n] = src[n] < 0x80 ? static_cast<char>(src[n]) : '?';
  }
  dest[n] = '\0';
}

// Copies an 8-bit text into a fixed field of size bytes, zero-filling the rest.
inline void CopyToField(char* dest, const char* src, int size) {
  if (!dest || size <= 0) return;
  int n = 0;
  if (src) {
    for (; n < size - 1 && src[n]; ++n) dest[n] = src[n];
  }
  for (int i = n; i < size; ++i) dest[i] = 0;
}

}  // namespace vst3
