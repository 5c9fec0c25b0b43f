// Both modules, through their real exports, with the threads a host runs at
// once: the audio thread processing, a host thread automating every
// parameter, a user-interface thread saving and loading state, switching
// programs and opening and closing the editor (when an X display is there,
// as under xvfb-run). Each control thread does a fixed amount of work; the audio
// thread runs until they are done. Built with ThreadSanitizer by the
// linux-tsan preset, where any race is a report (and a failed run);
// everywhere a deadlock ends the run after the test's time limit.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include <X11/Xlib.h>

#include "ModuleRig.h"
#include "X11RunLoop.h"

using namespace vst3;

namespace {
constexpr int kBlock = 128;
constexpr int kRounds = 300;  // per control thread
constexpr int kParams = 21;
constexpr ParamID kBypassId = 0x62706173, kProgramId = 0x70727374;
constexpr int kEditorEvery = 25;  // UI rounds between editor openings
constexpr int kIdleCalls = 5;     // host idle calls while it is open

// A host window for the editor; no window without a display.
struct EditorParent {
  EditorParent() {
    display = XOpenDisplay(nullptr);
    if (!display) return;
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 400, 524, 0, 0, 0);
    XMapWindow(display, window);
    XSync(display, False);
  }
  ~EditorParent() {
    if (!display) return;
    XDestroyWindow(display, window);
    XCloseDisplay(display);
  }
  void* Handle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }
  Display* display = nullptr;
  Window window = 0;
};

struct Outcome {
  int blocks = 0;
  int nonFiniteBlocks = 0;
};

// `audio` processes one block of `in` into `out` per call; `automation` and
// `ui` do their round r per call, each on a thread of its own.
Outcome RunAtOnce(const std::function<void(HostBlock<float>& in, HostBlock<float>& out, int n)>& audio,
                  const std::function<void(int r)>& automation, const std::function<void(int r)>& ui) {
  std::atomic<int> controlsDone(0);
  Outcome outcome;
  std::thread audioThread([&] {
    HostBlock<float> in(kBlock), out(kBlock);
    for (int i = 0; i < kBlock; ++i) in.ptrs[0][i] = in.ptrs[1][i] = static_cast<float>(0.5 * std::sin(0.05 * i));
    for (int n = 0; controlsDone.load() < 2; ++n) {
      audio(in, out, n);
      if (!out.Finite()) ++outcome.nonFiniteBlocks;
      ++outcome.blocks;
    }
  });
  std::thread automationThread([&] {
    for (int r = 0; r < kRounds; ++r) automation(r);
    ++controlsDone;
  });
  std::thread uiThread([&] {
    for (int r = 0; r < kRounds; ++r) ui(r);
    ++controlsDone;
  });
  automationThread.join();
  uiThread.join();
  audioThread.join();
  return outcome;
}
}  // namespace

TEST(Threads, Vst2AudioAutomationStateAndProgramsAtOnce) {
  auto plug = ReadyVst2(48000.0, kBlock);
  ASSERT_TRUE(plug);
  EditorParent parent;
  int editorOpenings = 0;
  const Outcome outcome = RunAtOnce(
      [&](HostBlock<float>& in, HostBlock<float>& out, int) { plug->ProcessReplacing(in.ptrs, out.ptrs, kBlock); },
      [&](int r) {
        for (int p = 0; p < kParams; ++p) {
          plug->SetParameter(p, static_cast<float>((r * 7 + p * 3) % 11) / 10.0f);
          plug->GetParameter(p);
        }
      },
      [&](int r) {
        void* data = nullptr;
        const intptr_t size = plug->Dispatch(vst2::effGetChunk, r % 2, 0, &data);
        std::vector<uint8_t> copy;
        if (size > 0 && data) copy.assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        plug->Dispatch(vst2::effSetProgram, 0, r % 20);
        if (!copy.empty()) plug->Dispatch(vst2::effSetChunk, r % 2, static_cast<intptr_t>(copy.size()), copy.data());
        char name[64] = {};
        plug->Dispatch(vst2::effGetProgramName, 0, 0, name);
        plug->Dispatch(vst2::effGetParamDisplay, r % kParams, 0, name);
        if (parent.window && r % kEditorEvery == 0 && plug->Dispatch(vst2::effEditOpen, 0, 0, parent.Handle()) == 1) {
          ++editorOpenings;
          for (int i = 0; i < kIdleCalls; ++i) plug->Dispatch(vst2::effEditIdle);
          plug->Dispatch(vst2::effEditClose);
        }
      });
  EXPECT_EQ(outcome.nonFiniteBlocks, 0);
  EXPECT_GT(outcome.blocks, 0);
  if (parent.window) {
    EXPECT_EQ(editorOpenings, kRounds / kEditorEvery);
  }
}

TEST(Threads, Vst3AudioAutomationStateAndProgramsAtOnce) {
  Vst3Rig rig;
  ASSERT_TRUE(rig.Initialize());
  ASSERT_TRUE(rig.Setup(48000.0, kBlock));
  rig.comp->setActive(1);
  rig.proc->setProcessing(1);
  EditorParent parent;
  TestRunLoop loop;
  TestFrame frame(&loop);
  int editorOpenings = 0;
  const Outcome outcome = RunAtOnce(
      [&](HostBlock<float>& in, HostBlock<float>& out, int n) {
        // The host's automation reaches the audio side through the queue:
        // every parameter, the bypass and now and then a program.
        Vst3ParamChanges changes;
        for (int p = 0; p < kParams; ++p) changes.Add(static_cast<ParamID>(p), ((n + p) % 9) / 8.0);
        changes.Add(kBypassId, n % 7 == 0 ? 1.0 : 0.0);
        if (n % 5 == 0) changes.Add(kProgramId, ((n / 5) % 20 + 0.5) / 20.0);
        rig.Run(in.ptrs, out.ptrs, kBlock, &changes);
      },
      [&](int r) {
        // The controller side follows the automation too.
        for (int p = 0; p < kParams; ++p) {
          const ParamID id = static_cast<ParamID>(p);
          rig.ctrl->setParamNormalized(id, ((r + p) % 5) / 4.0);
          rig.ctrl->getParamNormalized(id);
          String128 text = {};
          rig.ctrl->getParamStringByValue(id, 0.5, text);
        }
      },
      [&](int r) {
        Vst3MemoryStream saved;
        rig.ctrl->getControllerState(&saved);
        Vst3MemoryStream again(saved.Bytes());
        rig.ctrl->setControllerState(&again);
        rig.ctrl->setParamNormalized(kProgramId, ((r % 20) + 0.5) / 20.0);
        if (!parent.window || r % kEditorEvery != 0) return;
        IPlugView* view = rig.ctrl->createView(kEditorViewName);
        if (!view) return;
        view->setFrame(&frame);
        if (view->attached(parent.Handle(), kPlatformTypeX11EmbedWindowID) == kResultOk) {
          ++editorOpenings;
          for (int i = 0; i < kIdleCalls; ++i) loop.Turn();
          view->removed();
        }
        view->setFrame(nullptr);
        view->release();
      });
  EXPECT_EQ(outcome.nonFiniteBlocks, 0);
  EXPECT_GT(outcome.blocks, 0);
  rig.proc->setProcessing(0);
  rig.comp->setActive(0);
  if (parent.window) {
    EXPECT_EQ(editorOpenings, kRounds / kEditorEvery);
  }
  EXPECT_EQ(loop.Registered(), 0u);
  EXPECT_EQ(rig.Close(), 0u);
  EXPECT_EQ(rig.app.References(), 0);
  EXPECT_EQ(rig.handler.References(), 0);
}
