// The X11 layer's popup menu on its own: a right click on a control of an
// on/off parameter shows the menu as a window of its own, a person picks an
// item or clicks it away; the pick reaches the plug-in with the host calls of
// one edit gesture.

#include <gtest/gtest.h>

#include <X11/Xutil.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "IControl.h"
#include "IGraphicsX11.h"
#include "TestBinding.h"
#include "X11Rig.h"

namespace {

constexpr int kMode = 0;

class MenuPlugin : public TestBinding {
 public:
  MenuPlugin() : TestBinding(1, "2-2", 1, "Menu", "Menu", "Menu", 1, 1, 1, 0, 0) {
    GetParam(kMode)->DefineBool("Mode", false);  // display texts "off" and "on"
  }
};

// A plain area bound to the parameter whose right click asks for the menu.
class MenuControl : public IControl {
 public:
  MenuControl(IEffectBase* owner, const Rect& area) : IControl(owner, area, kMode) { promptDisabled_ = false; }
  bool Paint(IGraphics& graphics) override { return graphics.FillArea(Colour(255, 200, 120, 0), area_); }
};

class ImagelessGraphics : public IGraphicsX11 {
 public:
  ImagelessGraphics(IEffectBase* owner) : IGraphicsX11(owner, 200, 120, 30) {}
  PIX_IBitmap* LoadPngResource(int, const char*) override { return nullptr; }
};

// The host's UI thread runs the editor while the person works from a thread of their own.
class MenuSession {
 public:
  MenuSession() {
    gui_ = new ImagelessGraphics(&plugin);
    gui_->AddControl(new IPanelControl(&plugin, Rect(0, 0, 200, 120), Colour(255, 40, 40, 40)));
    control = new MenuControl(&plugin, Rect(20, 20, 80, 50));
    gui_->AddControl(control);
    plugin.AttachEditor(gui_);
  }
  bool Open(X11Rig& rig) { return gui_->OpenWindow(reinterpret_cast<void*>(static_cast<uintptr_t>(rig.Parent()))); }
  // Runs the person's part while idling the editor until it is done.
  void Run(const std::function<void()>& person) {
    std::atomic<bool> done(false);
    std::thread thread([&] {
      person();
      done = true;
    });
    while (!done) {
      gui_->WindowIdle();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    thread.join();
    for (int i = 0; i < 10; ++i) {
      gui_->WindowIdle();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  MenuPlugin plugin;
  IControl* control = nullptr;

 private:
  ImagelessGraphics* gui_ = nullptr;  // owned by the plug-in
};

// Waits for a mapped popup (or for none); returns its screen rectangle.
bool WaitForPopup(X11Rig& rig, bool shown, XWindowAttributes* where = nullptr) {
  for (int i = 0; i < 1000; ++i) {
    std::vector<Window> popups = rig.MappedPopups();
    if (shown && !popups.empty()) {
      if (where) XGetWindowAttributes(rig.HostDisplay(), popups[0], where);
      return true;
    }
    if (!shown && popups.empty()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

}  // namespace

TEST(X11PopupMenu, APickedItemIsStoredAndAClickElsewhereChangesNothing) {
  X11Rig rig;
  ASSERT_TRUE(rig.Ok());
  MenuSession session;
  ASSERT_TRUE(session.Open(rig));
  session.plugin.hostCalls.clear();

  bool seen = false, gone = false;
  XWindowAttributes menu{};
  session.Run([&] {
    rig.Click(50, 35, 3);
    seen = WaitForPopup(rig, true, &menu);
    if (!seen) return;
    // Below the control's left edge, two rows: "off" (checked) and "on".
    XImage* image = XGetImage(rig.HostDisplay(), rig.MappedPopups()[0], 0, 0, static_cast<unsigned>(menu.width),
                              static_cast<unsigned>(menu.height), AllPlanes, ZPixmap);
    if (image) {
      std::vector<uint32_t> pixels(static_cast<size_t>(menu.width) * menu.height);
      for (int y = 0; y < menu.height; ++y)
        for (int x = 0; x < menu.width; ++x) pixels[static_cast<size_t>(y) * menu.width + x] = XGetPixel(image, x, y);
      XDestroyImage(image);
      WriteScreenshot(std::string(VELTO_X11_SCREENSHOT_DIR) + "/popup_menu.png", pixels, menu.width, menu.height);
    }
    rig.ClickOnScreen(menu.x + 30, menu.y + 1 + 18 + 9);
    gone = WaitForPopup(rig, false);
  });
  ASSERT_TRUE(seen);
  EXPECT_EQ(menu.height, 2 * 18 + 2);
  EXPECT_TRUE(gone);
  EXPECT_EQ(session.plugin.GetParam(kMode)->Value(), 1.0);
  EXPECT_EQ(session.control->Value(), 1.0);
  // One gesture: begin, the value, end.
  EXPECT_EQ(session.plugin.hostCalls, (std::vector<std::string>{"begin 0", "automate 0 1.000000", "end 0"}));

  session.plugin.hostCalls.clear();
  session.Run([&] {
    rig.Click(50, 35, 3);
    seen = WaitForPopup(rig, true, &menu);
    if (!seen) return;
    rig.Click(150, 100);  // in the editor, away from the menu
    gone = WaitForPopup(rig, false);
  });
  ASSERT_TRUE(seen);
  EXPECT_TRUE(gone);
  EXPECT_EQ(session.plugin.GetParam(kMode)->Value(), 1.0);
  EXPECT_EQ(session.plugin.hostCalls, (std::vector<std::string>{"begin 0", "end 0"}));
}
