// Edits made in the editor reach a CLAP host as output events: gesture
// begin, the plain value, gesture end, in the next process call or, while
// the plug-in is not processing, through a flush the plug-in asks for. The
// plug-in is built in-process with the CLAP binding, so the editor's calls
// can be made on it directly while the host side goes through clap_plugin.

#include <gtest/gtest.h>

#include <cmath>

#include "ClapEventQueue.h"
#include "ClapHost.h"
#include "Velto.h"

namespace {
using Kind = ClapOutputEvents::Event;

struct InProcess {
  ClapHostContext host;
  IEffectCLAP* binding = CreatePlugin(IEffectCLAP::InstanceInfo{host.Host()});
  const clap_plugin_t* plugin = binding->ClapPlugin();
  const clap_plugin_params_t* params =
      static_cast<const clap_plugin_params_t*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS));

  InProcess() { EXPECT_TRUE(plugin->init(plugin)); }
  ~InProcess() { plugin->destroy(plugin); }

  // An editor gesture: begin, the given normalised values, end. [ui thread]
  void Drag(int idx, std::initializer_list<double> values) {
    binding->BeginParamEdit(idx);
    for (double v : values) binding->SetParamFromEditor(idx, v);
    binding->EndParamEdit(idx);
  }
  ClapOutputEvents Flush() {
    ClapOutputEvents out;
    ClapInputEvents in;
    params->flush(plugin, in.List(), out.List());
    return out;
  }
  clap_process_status Process(ClapOutputEvents& out, int frames = 32) {
    std::vector<double> l(frames), r(frames);
    double* ptrs[2] = {l.data(), r.data()};
    clap_audio_buffer_t buf{nullptr, ptrs, 2, 0, 0};
    ClapInputEvents in;
    clap_process_t proc{};
    proc.frames_count = static_cast<uint32_t>(frames);
    proc.audio_inputs = &buf;
    proc.audio_outputs = &buf;
    proc.audio_inputs_count = proc.audio_outputs_count = 1;
    proc.in_events = in.List();
    proc.out_events = out.List();
    host.EnterAudio();
    const clap_process_status s = plugin->process(plugin, &proc);
    host.LeaveAudio();
    return s;
  }
  void Start() {
    ASSERT_TRUE(plugin->activate(plugin, 48000.0, 1, 256));
    host.EnterAudio();
    ASSERT_TRUE(plugin->start_processing(plugin));
    host.LeaveAudio();
  }
};

bool Is(const ClapOutputEvents::Event& e, uint16_t type, clap_id id) { return e.type == type && e.param == id; }
}  // namespace

TEST(ClapEditorEvents, AnEditWhileInactiveAsksForAFlushAndArrivesThere) {
  InProcess x;
  x.Drag(kLowFreq, {0.5});
  EXPECT_GE(x.host.flushRequests.load(), 1);
  const ClapOutputEvents out = x.Flush();
  ASSERT_EQ(out.events.size(), 3u);
  EXPECT_TRUE(Is(out.events[0], CLAP_EVENT_PARAM_GESTURE_BEGIN, kLowFreq));
  EXPECT_TRUE(Is(out.events[1], CLAP_EVENT_PARAM_VALUE, kLowFreq));
  EXPECT_TRUE(Is(out.events[2], CLAP_EVENT_PARAM_GESTURE_END, kLowFreq));
  // The host hears the plain value the plug-in now holds (taper 2: 20 + 0.25 * 2480).
  double held = 0.0;
  ASSERT_TRUE(x.params->get_value(x.plugin, kLowFreq, &held));
  EXPECT_DOUBLE_EQ(out.events[1].value, held);
  EXPECT_NEAR(held, 640.0, 1e-9);
  EXPECT_TRUE(x.Flush().events.empty());  // delivered once
}

TEST(ClapEditorEvents, ADragSendsItsLatestValueBetweenDeliveries) {
  InProcess x;
  x.Drag(kMix, {0.1, 0.2, 0.3, 0.4});
  x.Drag(kDrive, {1.0});
  const ClapOutputEvents out = x.Flush();
  ASSERT_EQ(out.events.size(), 6u);
  EXPECT_TRUE(Is(out.events[1], CLAP_EVENT_PARAM_VALUE, kMix));
  EXPECT_DOUBLE_EQ(out.events[1].value, 40.0);
  EXPECT_TRUE(Is(out.events[3], CLAP_EVENT_PARAM_GESTURE_BEGIN, kDrive));
  EXPECT_DOUBLE_EQ(out.events[4].value, 15.0);
}

TEST(ClapEditorEvents, WhileProcessingTheNextBlockCarriesThemInOrderAcrossAFullHostList) {
  InProcess x;
  x.Start();
  const int requestsBefore = x.host.flushRequests.load();
  x.Drag(kOutGain, {0.75});
  EXPECT_EQ(x.host.flushRequests.load(), requestsBefore);
  ClapOutputEvents first;
  first.SetCapacity(2);
  EXPECT_EQ(x.Process(first), CLAP_PROCESS_CONTINUE);
  ASSERT_EQ(first.events.size(), 2u);
  ClapOutputEvents second;
  x.Process(second);
  ASSERT_EQ(second.events.size(), 1u);
  EXPECT_TRUE(Is(first.events[0], CLAP_EVENT_PARAM_GESTURE_BEGIN, kOutGain));
  EXPECT_TRUE(Is(first.events[1], CLAP_EVENT_PARAM_VALUE, kOutGain));
  EXPECT_DOUBLE_EQ(first.events[1].value, 6.0);
  EXPECT_TRUE(Is(second.events[0], CLAP_EVENT_PARAM_GESTURE_END, kOutGain));
}

TEST(ClapEditorEvents, LatencyChangesReachTheHostOnlyWhenTheFigureChanges) {
  InProcess x;
  x.Start();
  x.binding->SetLatency(31);
  EXPECT_EQ(x.host.restartRequests.load(), 0);
  x.binding->SetLatency(40);
  EXPECT_EQ(x.host.restartRequests.load(), 1);
  const auto* latency = static_cast<const clap_plugin_latency_t*>(x.plugin->get_extension(x.plugin, CLAP_EXT_LATENCY));
  EXPECT_EQ(latency->get(x.plugin), 40u);
}

TEST(ClapEventQueue, AFullQueueNeverDeliversAGestureEndWithoutItsBegin) {
  ClapEventQueue q(8);
  for (int i = 0; i < ClapEventQueue::kCapacity; ++i)
    q.Push(i % 2 ? ClapEventQueue::Kind::kBegin : ClapEventQueue::Kind::kEnd, 7);
  q.Push(ClapEventQueue::Kind::kBegin, 3);  // no room: dropped, and so is its end
  q.Push(ClapEventQueue::Kind::kValue, 3, 1.0);
  q.Consume(ClapEventQueue::kCapacity);
  q.Push(ClapEventQueue::Kind::kEnd, 3);
  EXPECT_EQ(q.Size(), 0);
  q.Push(ClapEventQueue::Kind::kBegin, 3);
  q.Push(ClapEventQueue::Kind::kEnd, 3);
  ASSERT_EQ(q.Size(), 2);
  EXPECT_EQ(q.At(1).kind, ClapEventQueue::Kind::kEnd);
}
