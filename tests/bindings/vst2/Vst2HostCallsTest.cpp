// What the binding asks of its host: time information, edit gestures,
// process level, host identification, latency and the editor record. The
// plug-in itself asks none of this, so these run on the binding directly,
// with a stand-in plug-in and a scripted host callback.

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "IEffectVST.h"
#include "RecordingEditor.h"

using namespace vst2;

namespace {

struct Call {
  int opcode;
  int index;
  VstIntPtr value;
  float opt;
};

// One scripted host for the test that runs; tests run one at a time.
struct ScriptedHost {
  std::vector<Call> calls;
  VstTimeInfo time = {};
  bool giveTime = true;
  VstIntPtr processLevel = 0;
  const char* product = "";
  VstIntPtr version = 0;
};
ScriptedHost* gHost = nullptr;

VstIntPtr VSTCALLBACK HostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
  gHost->calls.push_back({opcode, index, value, opt});
  switch (opcode) {
    case audioMasterGetTime:
      return gHost->giveTime ? reinterpret_cast<VstIntPtr>(&gHost->time) : 0;
    case audioMasterGetCurrentProcessLevel:
      return gHost->processLevel;
    case audioMasterGetProductString:
      CopyText(static_cast<char*>(ptr), gHost->product, 64);
      return 1;
    case audioMasterGetVendorVersion:
      return gHost->version;
    default:
      return 0;
  }
}

class Probe : public IEffectVST {
 public:
  Probe() : IEffectVST({HostCallback}, 2, "1-1 2-2", 2, "Probe", "", "Maker", 0x00010203, 1, 2, 0) {
    GetParam(0)->DefineDouble("Gain", 0.0, -10.0, 10.0, 0.1, "dB");
    GetParam(1)->DefineBool("Switch", false);
  }
};

class Vst2HostCalls : public ::testing::Test {
 protected:
  void SetUp() override { gHost = &host; }
  void TearDown() override { gHost = nullptr; }
  ScriptedHost host;
  Probe plug;
};

}  // namespace

TEST_F(Vst2HostCalls, VersionFieldIsDecimal) { EXPECT_EQ(plug.GetAEffect()->version, 10203); }

TEST_F(Vst2HostCalls, SamplePositionIsRoundedAndNeverNegative) {
  host.time.samplePos = 1234.4;
  EXPECT_EQ(plug.SamplePosition(), 1234);
  ASSERT_EQ(host.calls.back().opcode, audioMasterGetTime);
  EXPECT_EQ(host.calls.back().value, 0);
  host.time.samplePos = 1234.5;
  EXPECT_EQ(plug.SamplePosition(), 1235);
  host.time.samplePos = -3.0;
  EXPECT_EQ(plug.SamplePosition(), 0);
  host.time.samplePos = 1e300;
  EXPECT_EQ(plug.SamplePosition(), INT_MAX);
  host.giveTime = false;
  EXPECT_EQ(plug.SamplePosition(), 0);
}

TEST_F(Vst2HostCalls, TempoAndTimeSignatureNeedTheirFlags) {
  host.time.tempo = 133.0;
  host.time.timeSigNumerator = 7;
  host.time.timeSigDenominator = 8;
  EXPECT_EQ(plug.Tempo(), 0.0);
  EXPECT_EQ(host.calls.back().value, kVstTempoValid);
  int num = -1, den = -1;
  plug.TimeSignature(&num, &den);
  EXPECT_EQ(host.calls.back().value, kVstTimeSigValid);
  EXPECT_EQ(num, 0);
  EXPECT_EQ(den, 0);

  host.time.flags = kVstTempoValid | kVstTimeSigValid;
  EXPECT_EQ(plug.Tempo(), 133.0);
  plug.TimeSignature(&num, &den);
  EXPECT_EQ(num, 7);
  EXPECT_EQ(den, 8);
  host.time.tempo = -1.0;
  host.time.timeSigDenominator = -8;
  EXPECT_EQ(plug.Tempo(), 0.0);
  plug.TimeSignature(&num, &den);
  EXPECT_EQ(num, 0);
  EXPECT_EQ(den, 0);
  plug.TimeSignature(nullptr, nullptr);
  host.giveTime = false;
  EXPECT_EQ(plug.Tempo(), 0.0);
}

TEST_F(Vst2HostCalls, TransportTimeCopiesOnlyValidFields) {
  ITimeInfo info;
  info.tempo = 99.0;
  info.ppqPos = 5.0;
  info.numerator = 3;
  host.time.samplePos = 4410.0;
  host.time.tempo = 140.0;
  host.time.ppqPos = 12.5;
  host.time.barStartPos = 12.0;
  host.time.cycleStartPos = 4.0;
  host.time.cycleEndPos = 8.0;
  host.time.timeSigNumerator = 6;
  host.time.timeSigDenominator = 8;
  host.time.flags = kVstTransportPlaying;  // none of the wanted flags: nothing written
  plug.TransportTime(&info);
  EXPECT_EQ(host.calls.back().value, 0x3E00);
  EXPECT_EQ(info.samplePos, 0.0);
  EXPECT_EQ(info.tempo, 99.0);

  host.time.flags = kVstTempoValid | kVstCyclePosValid | kVstTransportCycleActive;
  plug.TransportTime(&info);
  EXPECT_EQ(info.samplePos, 4410.0);
  EXPECT_EQ(info.tempo, 140.0);
  EXPECT_EQ(info.ppqPos, 5.0);  // not valid: the caller's value stays
  EXPECT_EQ(info.cycleStart, 4.0);
  EXPECT_EQ(info.cycleEnd, 8.0);
  EXPECT_EQ(info.numerator, 3);
  EXPECT_FALSE(info.transportIsRunning);
  EXPECT_TRUE(info.transportLoopEnabled);

  host.time.flags = kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid | kVstTransportPlaying;
  host.time.tempo = 0.0;
  plug.TransportTime(&info);
  EXPECT_EQ(info.ppqPos, 12.5);
  EXPECT_EQ(info.lastBar, 12.0);
  EXPECT_EQ(info.numerator, 6);
  EXPECT_EQ(info.denominator, 8);
  EXPECT_EQ(info.tempo, 140.0);
  EXPECT_TRUE(info.transportIsRunning);
  EXPECT_FALSE(info.transportLoopEnabled);

  host.giveTime = false;
  plug.TransportTime(&info);
  plug.TransportTime(nullptr);
  EXPECT_EQ(info.ppqPos, 12.5);
}

TEST_F(Vst2HostCalls, EditorGesturesReachTheHostInOrder) {
  plug.BeginParamEdit(0);
  plug.SetParamFromEditor(0, 0.75);
  plug.EndParamEdit(0);
  plug.SendPresetChangeToHost();
  ASSERT_EQ(host.calls.size(), 4u);
  EXPECT_EQ(host.calls[0].opcode, audioMasterBeginEdit);
  EXPECT_EQ(host.calls[0].index, 0);
  EXPECT_EQ(host.calls[1].opcode, audioMasterAutomate);
  EXPECT_EQ(host.calls[1].opt, 0.75f);
  EXPECT_EQ(host.calls[2].opcode, audioMasterEndEdit);
  EXPECT_EQ(host.calls[3].opcode, audioMasterUpdateDisplay);
  EXPECT_FLOAT_EQ(plug.GetAEffect()->getParameter(plug.GetAEffect(), 0), 0.75f);
}

TEST_F(Vst2HostCalls, OfflineOnlyWhenTheHostSaysSo) {
  EXPECT_FALSE(plug.IsOfflineRender());
  host.processLevel = 2;
  EXPECT_FALSE(plug.IsOfflineRender());
  host.processLevel = 4;
  EXPECT_TRUE(plug.IsOfflineRender());
  EXPECT_EQ(host.calls.back().opcode, audioMasterGetCurrentProcessLevel);
}

TEST_F(Vst2HostCalls, HostIdentificationConvertsTheDecimalVersion) {
  host.product = "Cubase Pro";
  host.version = 91005;  // 9.10.5
  EXPECT_EQ(plug.GetHostId(), 3);
  EXPECT_EQ(plug.HostVersion(), (9 << 16) | (10 << 8) | 5);
  host.product = "Reaper";
  EXPECT_EQ(plug.GetHostId(), 3);  // known once, never asked again
  EXPECT_EQ(host.calls.size(), 2u);
}

TEST_F(Vst2HostCalls, ALatencyChangeGoesIntoTheRecordAndIsAnnouncedOnce) {
  const int initial = plug.GetLatency();
  EXPECT_EQ(plug.GetAEffect()->initialDelay, initial);
  plug.SetLatency(initial);
  EXPECT_TRUE(host.calls.empty());  // unchanged: nothing to announce
  plug.SetLatency(64);
  EXPECT_EQ(plug.GetAEffect()->initialDelay, 64);
  EXPECT_EQ(plug.GetLatency(), 64);
  ASSERT_EQ(host.calls.size(), 1u);
  EXPECT_EQ(host.calls.back().opcode, audioMasterIOChanged);
  plug.SetLatency(-5);
  EXPECT_EQ(plug.GetAEffect()->initialDelay, 0);
  EXPECT_EQ(host.calls.size(), 2u);
}

namespace {
class OpeningEditor : public RecordingEditor {
 public:
  bool OpenWindow(void* parent) override {
    calls.push_back(parent ? "open" : "open null");
    return parent != nullptr;
  }
  void CloseWindow() override { calls.push_back("close"); }
};
}  // namespace

TEST_F(Vst2HostCalls, AnAttachedEditorIsAnnouncedAndOpened) {
  AEffect* e = plug.GetAEffect();
  plug.AttachEditor(nullptr);
  EXPECT_EQ(e->flags & effFlagsHasEditor, 0);
  OpeningEditor* editor = new OpeningEditor;
  plug.AttachEditor(editor);
  EXPECT_EQ(e->flags & effFlagsHasEditor, effFlagsHasEditor);
  ERect* rect = nullptr;
  EXPECT_EQ(e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0.0f), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 50);
  EXPECT_EQ(rect->right, 100);
  EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, nullptr, 0.0f), 0);
  int parent = 0;
  EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, &parent, 0.0f), 1);
  EXPECT_EQ(e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f), 1);
  ASSERT_EQ(editor->calls.size(), 3u);
  EXPECT_EQ(editor->calls[2], "close");
  // A host write is shown on the editor as a normalised value.
  editor->shown.clear();
  e->setParameter(e, 1, 1.0f);
  ASSERT_EQ(editor->shown.size(), 1u);
  EXPECT_TRUE(editor->shown[0].normalized);
  EXPECT_EQ(editor->shown[0].value, 1.0);
}
