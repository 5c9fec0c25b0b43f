// Channel configuration parsing, host identification and the plug-in lock.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "TestBinding.h"

namespace {
TestBinding MakeEffect(const char* io) {
  return TestBinding(3, io, 2, "Velto", "", "OXB-Audio", 0x00010000, 0x61583474, 0x4F584261, 0, 0);
}
}  // namespace

TEST(ChannelConfig, ParsesEveryConfigurationAndSizesTheChannels) {
  TestBinding fx = MakeEffect("1-1 2-2");
  ASSERT_EQ(fx.NumIOConfigs(), 2);
  EXPECT_EQ(fx.GetIOConfig(0)->inputs, 1);
  EXPECT_EQ(fx.GetIOConfig(1)->outputs, 2);
  EXPECT_EQ(fx.NumInputs(), 2);
  EXPECT_EQ(fx.NumOutputs(), 2);

  TestBinding stereo = MakeEffect("2-2");
  EXPECT_EQ(stereo.NumIOConfigs(), 1);
  EXPECT_EQ(stereo.NumInputs(), 2);

  TestBinding wide = MakeEffect("1-2 4-6");
  EXPECT_EQ(wide.NumInputs(), 4);
  EXPECT_EQ(wide.NumOutputs(), 6);

  TestBinding junk = MakeEffect("x-y 2-");
  ASSERT_EQ(junk.NumIOConfigs(), 2);
  EXPECT_EQ(junk.GetIOConfig(0)->inputs, 0);
  EXPECT_EQ(junk.GetIOConfig(1)->inputs, 2);
  EXPECT_EQ(junk.GetIOConfig(1)->outputs, 0);
}

TEST(ChannelConfig, LegalIOMatchesWithWildcards) {
  TestBinding fx = MakeEffect("1-1 2-2");
  EXPECT_TRUE(fx.LegalIO(1, -1));
  EXPECT_TRUE(fx.LegalIO(-1, -1));
  EXPECT_TRUE(fx.LegalIO(2, 2));
  EXPECT_FALSE(fx.LegalIO(1, 2));
  EXPECT_FALSE(fx.LegalIO(3, 3));
}

TEST(ChannelConfig, LimitToStereoDisconnectsExtraInputsAndConnectsExtraOutputs) {
  TestBinding fx = MakeEffect("4-4");
  fx.SetInputConnections(0, 4, true);
  fx.LimitToStereoIO();
  EXPECT_TRUE(fx.IsInputConnected(1));
  EXPECT_FALSE(fx.IsInputConnected(2));
  EXPECT_FALSE(fx.IsInputConnected(3));
  EXPECT_TRUE(fx.IsOutputConnected(2));
  EXPECT_TRUE(fx.IsOutputConnected(3));
  EXPECT_FALSE(fx.IsOutputConnected(0));  // untouched

  TestBinding stereo = MakeEffect("1-1 2-2");
  stereo.LimitToStereoIO();
  EXPECT_FALSE(stereo.IsInputConnected(0));
  EXPECT_FALSE(stereo.IsOutputConnected(1));
}

TEST(HostIdentification, SearchesLowerCasedSubstringsInTableOrder) {
  EXPECT_EQ(IEffectBase::LookUpHost("Steinberg CUBASE 12"), 3);
  EXPECT_EQ(IEffectBase::LookUpHost("Ableton Live"), 9);
  EXPECT_EQ(IEffectBase::LookUpHost("Deliverance"), 9);  // inside a longer word
  EXPECT_EQ(IEffectBase::LookUpHost("logic or reaper"), 1);
  EXPECT_EQ(IEffectBase::LookUpHost("Ardour"), 28);
  EXPECT_EQ(IEffectBase::LookUpHost("VST3PluginTestHost"), 27);
  EXPECT_EQ(IEffectBase::LookUpHost(""), 0);
  EXPECT_EQ(IEffectBase::LookUpHost(nullptr), 0);
  EXPECT_EQ(IEffectBase::LookUpHost("Bitwig Studio"), 0);
  std::string longName(1000, 'x');
  longName += "cubase";  // beyond the 255 characters searched
  EXPECT_EQ(IEffectBase::LookUpHost(longName.c_str()), 0);
}

TEST(HostIdentification, SetHostStoresTheCodeAndVersion) {
  TestBinding fx = MakeEffect("1-1 2-2");
  EXPECT_EQ(fx.GetHostId(), -1);
  fx.SetHost("REAPER", 0x00060100);
  EXPECT_EQ(fx.GetHostId(), 1);
  EXPECT_EQ(fx.HostVersion(), 0x00060100);
}

TEST(HostFacts, SampleRateIgnoresRatesThatAreNotPositiveAndFinite) {
  TestBinding fx = MakeEffect("1-1 2-2");
  EXPECT_DOUBLE_EQ(fx.GetSampleRate(), 44100.0);
  fx.SetSampleRate(96000.0);
  fx.SetSampleRate(0.0);
  fx.SetSampleRate(-48000.0);
  fx.SetSampleRate(std::numeric_limits<double>::quiet_NaN());
  EXPECT_DOUBLE_EQ(fx.GetSampleRate(), 96000.0);
}

namespace {
// A plug-in whose ParamChanged takes the lock again, as real plug-ins do.
class RelockingEffect : public TestBinding {
 public:
  RelockingEffect() : TestBinding(20, "2-2", 1, "T", "", "M", 1, 1, 1, 0, 0) {
    for (int i = 0; i < NumParams(); ++i) GetParam(i)->DefineDouble("p", 0, 0, 1, 0.01);
  }
  std::atomic<int> changes{0};
  void ParamChanged(int) override {
    IEffectLock lock(Mutex());
    ++changes;
  }
};
}  // namespace

TEST(PluginLock, NestedAcquisitionFromInsideAStateLoadSucceeds) {
  RelockingEffect fx;
  StateChunk chunk;
  ASSERT_TRUE(fx.SerializeParams(chunk));
  EXPECT_EQ(fx.UnserializeParams(chunk, 0), 160);
  EXPECT_EQ(fx.changes, 20);
  fx.SetParamFromEditor(3, 0.5);  // holds the lock while ParamChanged relocks
  EXPECT_EQ(fx.changes, 21);
  EXPECT_DOUBLE_EQ(fx.GetParam(3)->Value(), 0.5);
}

TEST(PluginLock, SerialisesAnotherThreadUntilTheHolderReleases) {
  RelockingEffect fx;
  std::atomic<bool> entered{false};
  std::unique_lock<std::recursive_mutex> held(fx.Mutex());
  std::thread other([&] {
    fx.SetParamFromEditor(0, 1.0);
    entered = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(entered.load());
  EXPECT_DOUBLE_EQ(fx.GetParam(0)->Value(), 0.0);
  held.unlock();
  other.join();
  EXPECT_TRUE(entered.load());
  EXPECT_DOUBLE_EQ(fx.GetParam(0)->Value(), 1.0);
}

TEST(EditorLink, EditorChangesReachTheHostAndAttachShowsEveryParameter) {
  RelockingEffect fx;
  fx.SetParamFromEditor(2, 0.25);
  fx.SetParamFromEditor(99, 0.25);  // no such parameter: nothing happens
  ASSERT_EQ(fx.hostCalls.size(), 1u);
  EXPECT_EQ(fx.hostCalls[0], "automate 2 0.250000");

  fx.AttachEditor(nullptr);
  EXPECT_EQ(fx.GetGUI(), nullptr);
  auto* editor = new RecordingEditor;
  bool destroyed = false;
  editor->destroyed = &destroyed;
  fx.AttachEditor(editor);
  EXPECT_EQ(fx.GetGUI(), editor);
  EXPECT_EQ(editor->prepared, 1);
  ASSERT_EQ(editor->shown.size(), 20u);
  EXPECT_TRUE(editor->shown[2].normalized);
  EXPECT_DOUBLE_EQ(editor->shown[2].value, 0.25);
  fx.AttachEditor(nullptr);  // leaves the editor attached
  EXPECT_EQ(fx.GetGUI(), editor);

  editor->shown.clear();
  fx.RefreshParamControls();
  ASSERT_EQ(editor->shown.size(), 20u);
  EXPECT_FALSE(editor->shown[2].normalized);
}

TEST(EditorLink, TheBaseDestroysItsEditor) {
  bool destroyed = false;
  {
    RelockingEffect fx;
    auto* editor = new RecordingEditor;
    editor->destroyed = &destroyed;
    fx.AttachEditor(editor);
  }
  EXPECT_TRUE(destroyed);
}
