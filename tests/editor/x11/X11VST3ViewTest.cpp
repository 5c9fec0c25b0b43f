// The VST3 view's life with a Linux host's run loop, and both modules on a
// machine without a display.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "X11Rig.h"
#include "X11RunLoop.h"

using namespace vst3;

namespace {

struct Vst3Instance {
  Vst3Instance() {
    std::string error;
    auto module = Vst3Module::Load(VELTO_VST3_BUNDLE, &error);
    if (module) plug = Vst3Plugin::Create(module, &error);
  }
  IPlugView* NewView() { return plug ? plug->Controller()->createView(kEditorViewName) : nullptr; }
  std::unique_ptr<Vst3Plugin> plug;
};

void* AsParent(Window w) { return reinterpret_cast<void*>(static_cast<uintptr_t>(w)); }

// A frame without a run loop, as some hosts hand out.
class BareFrame : public IPlugFrame {
 public:
  tresult VST3_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    *obj = FUnknown::iid.Matches(iid) || IPlugFrame::iid.Matches(iid) ? this : nullptr;
    return *obj ? kResultOk : kNoInterface;
  }
  uint32 VST3_API addRef() override { return 2; }
  uint32 VST3_API release() override { return 1; }
  tresult VST3_API resizeView(IPlugView*, ViewRect*) override { return kResultFalse; }
};

// A screen, an instance and a fresh view of it.
class X11Vst3View : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.Ok());
    ASSERT_NE(fx.plug, nullptr);
    view = fx.NewView();
    ASSERT_NE(view, nullptr);
  }
  X11Rig rig;
  Vst3Instance fx;
  IPlugView* view = nullptr;
  TestRunLoop loop;
  TestFrame frame{&loop};
};

// Runs with DISPLAY unset and puts it back.
struct NoDisplay {
  NoDisplay() : saved(std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "") { unsetenv("DISPLAY"); }
  ~NoDisplay() {
    if (!saved.empty()) setenv("DISPLAY", saved.c_str(), 1);
  }
  std::string saved;
};

}  // namespace

TEST_F(X11Vst3View, RegistersWithTheRunLoopOnlyWhileAttached) {
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
  ViewRect size{};
  ASSERT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.right - size.left, 400);
  EXPECT_EQ(size.bottom - size.top, 524);

  ASSERT_EQ(view->setFrame(&frame), kResultOk);
  ASSERT_EQ(view->attached(AsParent(rig.Parent()), kPlatformTypeX11EmbedWindowID), kResultOk);
  EXPECT_EQ(loop.Registered(), 2u);  // the X connection and the redraw timer
  EXPECT_EQ(loop.TimerInterval(), 33);
  EXPECT_EQ(rig.CountChildren(), 1);
  for (int i = 0; i < 10; ++i) loop.Turn();
  // A host answer to a resize request goes through onSize.
  ViewRect same{0, 0, 400, 524};
  EXPECT_EQ(frame.resizeView(view, &same), kResultOk);

  ASSERT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(loop.Registered(), 0u);
  EXPECT_EQ(rig.CountChildren(), 0);
  view->setFrame(nullptr);
  EXPECT_EQ(loop.Refs(), 0);  // the run loop is let go with the frame
  view->release();
}

TEST_F(X11Vst3View, RefusesToAttachWithoutARunLoopOrWindow) {
  // No frame, then a frame without a run loop: the window would never be drawn.
  EXPECT_EQ(view->attached(AsParent(rig.Parent()), kPlatformTypeX11EmbedWindowID), kResultFalse);
  BareFrame bare;
  view->setFrame(&bare);
  EXPECT_EQ(view->attached(AsParent(rig.Parent()), kPlatformTypeX11EmbedWindowID), kResultFalse);
  EXPECT_EQ(rig.CountChildren(), 0);

  view->setFrame(&frame);
  // Another platform's type, no parent, or a window id that does not exist.
  EXPECT_EQ(view->attached(AsParent(rig.Parent()), kPlatformTypeHWND), kResultFalse);
  EXPECT_EQ(view->attached(nullptr, kPlatformTypeX11EmbedWindowID), kResultFalse);
  EXPECT_EQ(view->attached(AsParent(0x7FFFFF0), kPlatformTypeX11EmbedWindowID), kResultFalse);
  EXPECT_EQ(loop.Registered(), 0u);
  view->setFrame(nullptr);
  EXPECT_EQ(loop.Refs(), 0);
  view->release();
}

TEST_F(X11Vst3View, AViewReleasedWhileAttachedUnregisters) {
  view->setFrame(&frame);
  ASSERT_EQ(view->attached(AsParent(rig.Parent()), kPlatformTypeX11EmbedWindowID), kResultOk);
  // Attached twice: one window, one set of registrations.
  ASSERT_EQ(view->attached(AsParent(rig.Parent()), kPlatformTypeX11EmbedWindowID), kResultOk);
  EXPECT_EQ(loop.Registered(), 2u);
  EXPECT_EQ(rig.CountChildren(), 1);
  view->release();  // a host that never calls removed
  EXPECT_EQ(loop.Registered(), 0u);
  EXPECT_EQ(rig.CountChildren(), 0);
  EXPECT_EQ(loop.Refs(), 0);
}

TEST(X11NoDisplay, ModulesLoadProcessAndOfferNoEditor) {
  NoDisplay none;
  std::string error;
  auto module = Vst2Module::Open(VELTO_VST2_MODULE, &error);
  ASSERT_NE(module, nullptr) << error;
  auto plug = Vst2Instance::Create(module, &error);
  ASSERT_NE(plug, nullptr) << error;
  EXPECT_EQ(plug->Effect()->flags & vst2::effFlagsHasEditor, 0);
  plug->Dispatch(vst2::effOpen);
  plug->Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 44100.0f);
  plug->Dispatch(vst2::effSetBlockSize, 0, 64);
  plug->Dispatch(vst2::effMainsChanged, 0, 1);
  EXPECT_EQ(plug->Dispatch(vst2::effEditOpen, 0, 0, AsParent(0x400001)), 0);
  EXPECT_EQ(plug->Dispatch(vst2::effEditIdle), 0);
  std::vector<double> in(64, 0.25), out(64, 0.0);
  double* ins[] = {in.data(), in.data()};
  double* outs[] = {out.data(), out.data()};
  plug->ProcessDouble(ins, outs, 64);
  EXPECT_NE(out[63], 0.0);

  Vst3Instance fx;
  ASSERT_NE(fx.plug, nullptr);
  IPlugView* view = fx.NewView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);
  TestRunLoop loop;
  TestFrame frame(&loop);
  view->setFrame(&frame);
  EXPECT_EQ(view->attached(AsParent(0x400001), kPlatformTypeX11EmbedWindowID), kResultFalse);
  view->setFrame(nullptr);
  view->release();
}
