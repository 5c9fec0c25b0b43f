// The module's entry points, the AEffect, and the dispatcher's answers, all
// through the module's real exports.

#include <cstring>
#include <string>
#include <thread>

#include "ModuleCheck.h"
#include "ModuleSupport.h"

using namespace vst2;

namespace {
constexpr char kCanary = 0x5A;
constexpr intptr_t kVendorCanDo = 0xbeef0000;

// A host buffer pre-filled with a canary, to see how far a copy reached.
struct CanaryText {
  CanaryText() { std::memset(bytes, kCanary, sizeof bytes); }
  char bytes[256];
  int Written() const {  // bytes up to and including the terminator
    for (int i = 0; i < 256; ++i)
      if (bytes[i] == '\0') return i + 1;
    return 257;
  }
  bool Untouched() const {
    for (char c : bytes)
      if (c != kCanary) return false;
    return true;
  }
};
}  // namespace

// ---------------------------------------------------------------------------
// Entry points and the AEffect

MODULE_TEST(Vst2Entry, RecordIsFilledAsHostsReadIt) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  const AEffect* e = plug->Effect();
  CHECK_EQ(e->magic, 0x56737450);
  CHECK_EQ(e->uniqueID, 0x61583474);
  CHECK_EQ(e->version, 10000);
  CHECK_EQ(e->numParams, 21);
  CHECK_EQ(e->numPrograms, 20);
  CHECK_EQ(e->numInputs, 2);
  CHECK_EQ(e->numOutputs, 2);
  // Replacing, double replacing and mono input; no program chunks. The
  // editor opens in Windows hosts.
#if defined(_WIN32)
  CHECK_EQ(e->flags, 16 | 4096 | 8 | 1);
#else
  CHECK_EQ(e->flags, 16 | 4096 | 8);
#endif
  CHECK_EQ(e->initialDelay, 31);  // the wet path's delay, for the host to compensate
  CHECK_EQ(e->ioRatio, 1.0f);
  CHECK_TRUE(e->object != nullptr);
  CHECK_TRUE(e->dispatcher && e->process && e->setParameter && e->getParameter);
  CHECK_TRUE(e->processReplacing && e->processDoubleReplacing);
  CHECK_EQ(e->resvd1, 0);
  CHECK_EQ(e->realQualities, 0);
  bool futureZero = true;
  for (char c : e->future) futureZero = futureZero && c == 0;
  CHECK_TRUE(futureZero);
  // Nothing is asked of the host before effOpen.
  CHECK_EQ(plug->Calls().size(), 0u);
}

MODULE_TEST(Vst2Entry, LegacyMainTakesTheWholeCallbackPointer) {
  // The harness's callback lives above 4 GiB on 64-bit systems, so a
  // callback cut to 32 bits would not reach it.
  Vst2HostScript script;
  script.productString = "Legacy Host";
  auto plug = NewInstance(script, /*legacy*/ true);
  REQUIRE_TRUE(plug);
  CHECK_EQ(plug->Effect()->magic, 0x56737450);
  plug->Dispatch(effOpen);
  const auto calls = plug->Calls();
  REQUIRE_TRUE(!calls.empty());
  CHECK_EQ(calls[0].opcode, static_cast<int>(audioMasterGetProductString));
  CHECK_TRUE(calls[0].effect == plug->Effect());
}

MODULE_TEST(Vst2Entry, SlotsLeftFreeBecomeEmptyPresets) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  CHECK_EQ(plug->DispatchText(effGetProgramNameIndexed, 0), std::string("-"));
  CHECK_EQ(plug->DispatchText(effGetProgramNameIndexed, 1), std::string("Gentle Loudness"));
  CHECK_EQ(plug->DispatchText(effGetProgramNameIndexed, 6), std::string("Presence"));
  for (int i = 7; i < vp::kPresets; ++i) CHECK_EQ(plug->DispatchText(effGetProgramNameIndexed, i), std::string("Empty"));
  // An "Empty" preset holds the defaults: loading it changes nothing.
  const std::vector<float> defaults = ReadParams(*plug);
  plug->Dispatch(effSetProgram, 0, 12);
  CHECK_EQ(plug->Dispatch(effGetProgram), 12);
  CHECK_TRUE(ReadParams(*plug) == defaults);
}

MODULE_TEST(Vst2Entry, InstancesAreIndependent) {
  auto a = NewInstance();
  auto b = NewInstance();
  REQUIRE_TRUE(a && b);
  CHECK_TRUE(a->Effect() != b->Effect());
  CHECK_TRUE(a->Effect()->object != b->Effect()->object);
  const float before = b->GetParameter(vp::kDrive);
  a->SetParameter(vp::kDrive, 0.9f);
  CHECK_NEAR(a->GetParameter(vp::kDrive), 0.9, 1e-3);
  CHECK_EQ(b->GetParameter(vp::kDrive), before);
}

MODULE_TEST(Vst2Entry, InstancesMadeOnManyThreadsAtOnce) {
  std::unique_ptr<Vst2Instance> plugs[4];
  std::thread threads[4];
  for (int t = 0; t < 4; ++t) threads[t] = std::thread([&plugs, t] { plugs[t] = NewInstance(); });
  for (std::thread& t : threads) t.join();
  for (auto& plug : plugs) {
    REQUIRE_TRUE(plug);
    CHECK_EQ(plug->DispatchText(effGetProgramNameIndexed, 19), std::string("Empty"));
  }
}

MODULE_TEST(Vst2Entry, WorksWithoutAHostCallback) {
  std::shared_ptr<Vst2Module> module = TestModule();
  REQUIRE_TRUE(module && module->Entry());
  AEffect* e = module->Entry()(nullptr);
  REQUIRE_TRUE(e);
  e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
  e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
  FloatBlock in(64, 0.25f), out(64);
  e->processReplacing(e, in.ptrs, out.ptrs, 64);
  CHECK_TRUE(AllFinite(out.data[0]));
  e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}

MODULE_TEST(Vst2Entry, CloseFromAnotherThread) {
  auto plug = ReadyInstance();
  REQUIRE_TRUE(plug);
  std::thread closer([&plug] { plug->Close(); });
  closer.join();
  CHECK_TRUE(plug->Effect() == nullptr);
}

// ---------------------------------------------------------------------------
// Fixed answers and unhandled opcodes

MODULE_TEST(Vst2Opcodes, FixedAnswers) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  CHECK_EQ(plug->Dispatch(effIdentify), 0x4E764566);
  CHECK_EQ(plug->Dispatch(effGetVstVersion), 2400);
  CHECK_EQ(plug->Dispatch(effGetPlugCategory), 1);
  CHECK_EQ(plug->Dispatch(effGetVendorVersion), 0);  // the version is only in the AEffect
  CHECK_EQ(plug->Dispatch(effCanBeAutomated, 3), 1);
  CHECK_EQ(plug->Dispatch(effCanBeAutomated, -5), 1);
  CHECK_EQ(plug->Dispatch(effProcessVarIo), 0);
  CHECK_EQ(plug->Dispatch(effSetBypass, 0, 1), 0);
  CHECK_EQ(plug->Dispatch(effGetTailSize), 0);
  CHECK_EQ(plug->Dispatch(effEditIdle), 0);
  CHECK_EQ(plug->Dispatch(effIdle), 0);
  CHECK_EQ(plug->Dispatch(effBeginSetProgram), 0);
  CHECK_EQ(plug->Dispatch(effEndSetProgram), 0);
  char properties[152] = {};
  CHECK_EQ(plug->Dispatch(effGetParameterProperties, 0, 0, properties), 0);
}

MODULE_TEST(Vst2Opcodes, OpcodesFrom70OnAndUnknownOnesAnswerZero) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  char buffer[1024] = {};
  for (int op = 70; op < 200; ++op) CHECK_EQ(plug->Dispatch(op, 0, 0, buffer), 0);
  CHECK_EQ(plug->Dispatch(-1, 0, 0, buffer), 0);
  CHECK_EQ(plug->Dispatch(static_cast<int>(0xDEADBEEF), 0, 0, buffer), 0);
  // Deprecated numbers inside the table: nothing.
  for (int op : {9, 16, 17, 18, 20, 21, 28, 30, 31, 32, 36, 37, 38, 39, 40, 43, 46, 54, 55, 57, 59, 60, 61})
    CHECK_EQ(plug->Dispatch(op, 0, 0, buffer), 0);
  bool untouched = true;
  for (char c : buffer) untouched = untouched && c == 0;
  CHECK_TRUE(untouched);
}

#if defined(_WIN32)
MODULE_TEST(Vst2Opcodes, EditorRequestsWithAnEditor) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  CHECK_EQ(plug->Effect()->flags & effFlagsHasEditor, effFlagsHasEditor);
  ERect* rect = nullptr;
  CHECK_EQ(plug->Dispatch(effEditGetRect, 0, 0, &rect), 1);
  REQUIRE_TRUE(rect != nullptr);
  CHECK_EQ(rect->top, 0);
  CHECK_EQ(rect->left, 0);
  CHECK_EQ(rect->bottom, 524);
  CHECK_EQ(rect->right, 400);
  CHECK_EQ(plug->Dispatch(effEditGetRect), 0);
  // No window to open in: the editor stays closed and says so.
  CHECK_EQ(plug->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x1234)), 0);
  CHECK_EQ(plug->Dispatch(effEditClose), 1);
}
#else
MODULE_TEST(Vst2Opcodes, EditorRequestsWithoutAnEditor) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  CHECK_EQ(plug->Effect()->flags & effFlagsHasEditor, 0);
  ERect marker = {};
  ERect* rect = &marker;
  CHECK_EQ(plug->Dispatch(effEditGetRect, 0, 0, &rect), 0);
  CHECK_TRUE(rect == &marker);
  CHECK_EQ(plug->Dispatch(effEditGetRect), 0);
  CHECK_EQ(plug->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x1234)), 0);
  CHECK_EQ(plug->Dispatch(effEditClose), 0);
}
#endif

// ---------------------------------------------------------------------------
// Names and texts

MODULE_TEST(Vst2Opcodes, EffectVendorAndProductStrings) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  char text[256];
  std::memset(text, 'x', sizeof text);
  CHECK_EQ(plug->Dispatch(effGetEffectName, 0, 0, text), 1);
  CHECK_EQ(std::string(text), std::string("Velto"));
  CHECK_EQ(plug->Dispatch(effGetVendorString, 0, 0, text), 1);
  CHECK_EQ(std::string(text), std::string("OXB-Audio"));
  CHECK_EQ(plug->Dispatch(effGetProductString, 0, 0, text), 1);
  CHECK_EQ(std::string(text), std::string(""));
  CHECK_EQ(plug->Dispatch(effGetEffectName), 0);
  CHECK_EQ(plug->Dispatch(effGetVendorString), 0);
  CHECK_EQ(plug->Dispatch(effGetProductString), 0);
}

MODULE_TEST(Vst2Opcodes, ParameterNamesLabelsAndDisplays) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  CHECK_EQ(plug->DispatchText(effGetParamName, vp::kInGain), std::string("In Gain"));
  CHECK_EQ(plug->DispatchText(effGetParamLabel, vp::kInGain), std::string("dB"));
  CHECK_EQ(plug->DispatchText(effGetParamDisplay, vp::kInGain), std::string("0.00"));
  CHECK_EQ(plug->DispatchText(effGetParamName, vp::kMix), std::string("Mix"));
  CHECK_EQ(plug->DispatchText(effGetParamLabel, vp::kMix), std::string("%"));
  CHECK_EQ(plug->DispatchText(effGetParamDisplay, vp::kMix), std::string("100"));
  // Switches show their display texts and no unit.
  CHECK_EQ(plug->DispatchText(effGetParamName, vp::kBypass), std::string("Bypass"));
  CHECK_EQ(plug->DispatchText(effGetParamDisplay, vp::kBypass), std::string("off"));
  CHECK_EQ(plug->DispatchText(effGetParamLabel, vp::kBypass), std::string(""));
  plug->SetParameter(vp::kBypass, 1.0f);
  CHECK_EQ(plug->DispatchText(effGetParamDisplay, vp::kBypass), std::string("on"));
  // The display follows a host write: -12 + 24 x 0.75 = 6 dB.
  plug->SetParameter(vp::kInGain, 0.75f);
  CHECK_EQ(plug->DispatchText(effGetParamDisplay, vp::kInGain), std::string("6.00"));
  CHECK_EQ(plug->DispatchText(effGetParamName, vp::kModel), std::string("Velto"));

  // Every declared parameter has a name; no text goes past 32 bytes.
  for (int i = 0; i < vp::kDeclared; ++i) {
    for (int op : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
      CanaryText text;
      CHECK_EQ(plug->Dispatch(op, i, 0, text.bytes), 0);
      CHECK_TRUE(text.Written() <= 32);
    }
    CHECK_NE(plug->DispatchText(effGetParamName, i), std::string(""));
  }
  // Indices outside the parameters and null buffers: nothing written.
  for (int index : {-1, 22, 1000}) {
    for (int op : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
      CanaryText text;
      CHECK_EQ(plug->Dispatch(op, index, 0, text.bytes), 0);
      CHECK_TRUE(text.Untouched());
      CHECK_EQ(plug->Dispatch(op, index), 0);
    }
  }
  CHECK_EQ(plug->Dispatch(effGetParamName, 0), 0);
}

MODULE_TEST(Vst2Opcodes, ProgramNames) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  CHECK_EQ(plug->DispatchText(effGetProgramName), std::string("-"));
  CHECK_EQ(plug->Dispatch(effGetProgramNameIndexed, 3, 0, nullptr), 0);
  for (int index : {-1, 20, 5000}) {
    char text[64];
    std::memset(text, 'x', sizeof text);
    CHECK_EQ(plug->Dispatch(effGetProgramNameIndexed, index, 0, text), 0);
    CHECK_EQ(std::string(text), std::string(""));
  }

  plug->Dispatch(effSetProgram, 0, 9);
  CHECK_EQ(plug->Dispatch(effSetProgramName, 0, 0, const_cast<char*>("My Sound")), 0);
  CHECK_EQ(plug->DispatchText(effGetProgramName), std::string("My Sound"));
  CHECK_EQ(plug->DispatchText(effGetProgramNameIndexed, 9), std::string("My Sound"));
  CHECK_EQ(plug->Dispatch(effSetProgramName), 0);  // null: unchanged
  CHECK_EQ(plug->DispatchText(effGetProgramName), std::string("My Sound"));

  // A long name is kept, but hosts get at most 23 characters and a terminator.
  const std::string longName(100, 'n');
  plug->Dispatch(effSetProgramName, 0, 0, const_cast<char*>(longName.c_str()));
  CanaryText a, b;
  plug->Dispatch(effGetProgramName, 0, 0, a.bytes);
  plug->Dispatch(effGetProgramNameIndexed, 9, 0, b.bytes);
  CHECK_EQ(a.Written(), 24);
  CHECK_EQ(b.Written(), 24);
  CHECK_EQ(std::string(a.bytes), std::string(23, 'n'));
}

MODULE_TEST(Vst2Opcodes, MidiKeyNamesAreEmpty) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  MidiKeyName key = {};
  key.thisKeyNumber = 60;
  std::strcpy(key.keyName, "stale");
  CHECK_EQ(plug->Dispatch(effGetMidiKeyName, 0, 0, &key), 0);
  CHECK_EQ(std::string(key.keyName), std::string(""));
  CHECK_EQ(plug->Dispatch(effGetMidiKeyName), 0);
}

MODULE_TEST(Vst2Opcodes, MidiEventsGoBackToTheHost) {
  // The plug-in passes incoming MIDI straight on to its host.
  auto plug = ReadyInstance();
  REQUIRE_TRUE(plug);
  plug->ClearCalls();
  VstMidiEvent note = {};
  note.type = kVstMidiType;
  note.byteSize = sizeof note;
  note.deltaFrames = 17;
  note.midiData[0] = static_cast<char>(0x90);
  note.midiData[1] = 60;
  note.midiData[2] = 100;
  char dump[4] = {static_cast<char>(0xF0), 1, 2, static_cast<char>(0xF7)};
  VstMidiSysexEvent sysex = {};
  sysex.type = kVstSysExType;
  sysex.byteSize = sizeof sysex;
  sysex.dumpBytes = -4;  // nonsense size: skipped
  sysex.sysexDump = dump;
  VstEvent other = {};
  other.type = 3;
  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[4];
  } list = {4, 0, {reinterpret_cast<VstEvent*>(&sysex), nullptr, &other, reinterpret_cast<VstEvent*>(&note)}};
  CHECK_EQ(plug->Dispatch(effProcessEvents, 0, 0, &list), 1);
  CHECK_EQ(plug->Dispatch(effProcessEvents), 0);

  const auto calls = plug->Calls();
  REQUIRE_TRUE(calls.size() == 1u);
  CHECK_EQ(calls[0].opcode, static_cast<int>(audioMasterProcessEvents));
  CHECK_EQ(calls[0].numEvents, 1);
  REQUIRE_TRUE(calls[0].event.size() == sizeof(VstMidiEvent));
  VstMidiEvent sent;
  std::memcpy(&sent, calls[0].event.data(), sizeof sent);
  CHECK_EQ(sent.type, 1);
  CHECK_EQ(sent.byteSize, 32);
  CHECK_EQ(sent.deltaFrames, 17);
  CHECK_EQ(static_cast<unsigned char>(sent.midiData[0]), 0x90);
  CHECK_EQ(static_cast<int>(sent.midiData[1]), 60);
  CHECK_EQ(static_cast<int>(sent.midiData[2]), 100);
  CHECK_EQ(sent.flags, 0);
  CHECK_EQ(sent.noteLength, 0);
}

// ---------------------------------------------------------------------------
// canDo and vendor-specific requests

MODULE_TEST(Vst2CanDo, ExactCaseSensitiveAnswers) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  auto canDo = [&plug](const char* query) { return plug->Dispatch(effCanDo, 0, 0, const_cast<char*>(query)); };
  CHECK_EQ(canDo("receiveVstTimeInfo"), 1);
  CHECK_EQ(canDo("receivevsttimeinfo"), 0);
  CHECK_EQ(canDo("ReceiveVstTimeInfo"), 0);
  CHECK_EQ(canDo("receiveVstTimeInfo "), 0);
  CHECK_EQ(canDo("sendVstEvents"), 0);
  CHECK_EQ(canDo("sendVstMidiEvent"), 0);
  CHECK_EQ(canDo("receiveVstEvents"), 0);
  CHECK_EQ(canDo("receiveVstMidiEvent"), 0);
  CHECK_EQ(canDo("hasVendorExtensions"), kVendorCanDo);
  CHECK_EQ(canDo("hasVendorViewAsConfig"), kVendorCanDo);
  CHECK_EQ(canDo("bypass"), 0);
  CHECK_EQ(canDo(""), 0);
  CHECK_EQ(plug->Dispatch(effCanDo), 0);
}

MODULE_TEST(Vst2CanDo, VendorSpecificRequests) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  // Sub-request 7: the display text of a normalised value, without storing it.
  CHECK_EQ(plug->Dispatch(effVendorSpecific, 7, vp::kInGain, nullptr, 0.25f), 0);
  char text[64] = {};
  CHECK_EQ(plug->Dispatch(effVendorSpecific, 7, vp::kInGain, text, 0.25f), 0xbeef);
  CHECK_EQ(std::string(text), std::string("-6.00"));
  CHECK_EQ(plug->Dispatch(effVendorSpecific, 7, vp::kBypass, text, 1.0f), 0xbeef);
  CHECK_EQ(std::string(text), std::string("on"));
  CHECK_EQ(plug->DispatchText(effGetParamDisplay, vp::kInGain), std::string("0.00"));
  CanaryText untouched;
  CHECK_EQ(plug->Dispatch(effVendorSpecific, 7, 99, untouched.bytes, 0.5f), 0xbeef);
  CHECK_TRUE(untouched.Untouched());
  CHECK_EQ(plug->Dispatch(effVendorSpecific, 7, -1, untouched.bytes, 0.5f), 0xbeef);
  CHECK_TRUE(untouched.Untouched());
  // Sub-request 8: stepped (non-continuous) parameters.
  CHECK_EQ(plug->Dispatch(effVendorSpecific, 8, vp::kBypass), 0xbeef);
  CHECK_EQ(plug->Dispatch(effVendorSpecific, 8, vp::kHPQ), 0xbeef);
  CHECK_EQ(plug->Dispatch(effVendorSpecific, 8, vp::kInGain), 0);
  CHECK_EQ(plug->Dispatch(effVendorSpecific, 8, 99), 0);
  CHECK_EQ(plug->Dispatch(effVendorSpecific, 9, vp::kBypass, text), 0);
#if INTPTR_MAX == INT64_MAX
  // A parameter number wider than 32 bits is out of range, not cut down to one.
  CHECK_EQ(plug->Dispatch(effVendorSpecific, 8, (static_cast<intptr_t>(1) << 32) + vp::kBypass), 0);
#endif
}

// ---------------------------------------------------------------------------
// Pins and speaker arrangements

MODULE_TEST(Vst2Pins, PropertiesAndLabels) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  for (int input = 0; input < 2; ++input) {
    const int op = input ? effGetInputProperties : effGetOutputProperties;
    const std::string kind = input ? "Input " : "Output ";
    VstPinProperties pin;
    std::memset(&pin, 0x11, sizeof pin);
    CHECK_EQ(plug->Dispatch(op, 0, 0, &pin), 1);
    CHECK_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    CHECK_EQ(std::string(pin.label), kind + "1");
    CHECK_EQ(pin.arrangementType, 0x11111111);  // other fields stay as the host left them
    CHECK_EQ(pin.shortLabel[0], 0x11);
    CHECK_EQ(plug->Dispatch(op, 1, 0, &pin), 1);
    CHECK_EQ(pin.flags, kVstPinIsActive);
    CHECK_EQ(std::string(pin.label), kind + "2");
    VstPinProperties fresh;
    std::memset(&fresh, 0x22, sizeof fresh);
    CHECK_EQ(plug->Dispatch(op, 2, 0, &fresh), 0);
    CHECK_EQ(plug->Dispatch(op, -1, 0, &fresh), 0);
    CHECK_EQ(fresh.flags, 0x22222222);
    CHECK_EQ(plug->Dispatch(op, 0), 0);
  }
}

MODULE_TEST(Vst2Pins, SpeakerArrangementsAreStereo) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  VstSpeakerArrangement* in = nullptr;
  VstSpeakerArrangement* out = nullptr;
  CHECK_EQ(plug->Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
  REQUIRE_TRUE(in && out);
  CHECK_EQ(in->type, kSpeakerArrStereo);
  CHECK_EQ(in->numChannels, 2);
  CHECK_EQ(out->type, kSpeakerArrStereo);
  CHECK_EQ(out->numChannels, 2);
  CHECK_EQ(in->speakers[0].type, 0);
  CHECK_EQ(plug->Dispatch(effGetSpeakerArrangement), 1);  // nothing to store into
  VstSpeakerArrangement* onlyOut = nullptr;
  CHECK_EQ(plug->Dispatch(effGetSpeakerArrangement, 0, 0, &onlyOut), 1);
  CHECK_TRUE(onlyOut == out);
  CHECK_EQ(plug->Dispatch(effSetSpeakerArrangement), 1);
}

// ---------------------------------------------------------------------------
// Host identification

MODULE_TEST(Vst2Host, OpenAsksForProductAndVersionOnce) {
  Vst2HostScript script;
  script.productString = "Ardour";
  script.vendorVersion = 70300;
  auto plug = NewInstance(script);
  REQUIRE_TRUE(plug);
  CHECK_EQ(plug->Dispatch(effOpen), 0);
  auto calls = plug->Calls();
  REQUIRE_TRUE(calls.size() == 2u);
  CHECK_EQ(calls[0].opcode, static_cast<int>(audioMasterGetProductString));
  CHECK_FALSE(calls[0].ptrNull);
  CHECK_TRUE(calls[0].effect == plug->Effect());
  CHECK_EQ(calls[1].opcode, static_cast<int>(audioMasterGetVendorVersion));
  CHECK_TRUE(calls[1].effect == plug->Effect());
  // A second effOpen is harmless and does not ask again.
  CHECK_EQ(plug->Dispatch(effOpen), 0);
  CHECK_EQ(plug->Calls().size(), 2u);
  CHECK_EQ(plug->Effect()->numInputs, 2);
  CHECK_EQ(plug->Effect()->numOutputs, 2);
}

MODULE_TEST(Vst2Host, EmptyProductStringSkipsTheVersion) {
  Vst2HostScript script;
  script.productString = "";
  auto plug = NewInstance(script);
  REQUIRE_TRUE(plug);
  plug->Dispatch(effOpen);
  CHECK_EQ(plug->CountCalls(audioMasterGetProductString), 1);
  CHECK_EQ(plug->CountCalls(audioMasterGetVendorVersion), 0);
}

MODULE_TEST(Vst2Host, StereoOnlyHostsStillGetTwoChannels) {
  for (const char* product : {"Forte 4", "Adobe Audition", "orion", "SAWStudio"}) {
    Vst2HostScript script;
    script.productString = product;
    auto plug = NewInstance(script);
    REQUIRE_TRUE(plug);
    plug->Dispatch(effOpen);
    CHECK_EQ(plug->Effect()->numInputs, 2);
    CHECK_EQ(plug->Effect()->numOutputs, 2);
  }
}

MODULE_TEST(Vst2Host, UnterminatedProductStringIsCut) {
  // The host fills the plug-in's whole 256-byte buffer and no terminator.
  Vst2HostScript script;
  script.productString = "Reaper";
  script.productStringRawBytes = 256;
  script.vendorVersion = -5;
  auto plug = NewInstance(script);
  REQUIRE_TRUE(plug);
  plug->Dispatch(effOpen);
  CHECK_EQ(plug->CountCalls(audioMasterGetVendorVersion), 1);
  FloatBlock in(32, 0.1f), out(32);
  plug->ProcessReplacing(in.ptrs, out.ptrs, 32);
  CHECK_TRUE(AllFinite(out.data[0]));
}
