#pragma once
// A plug-in object with a few parameters and a headless editor attached to
// it, the test images registered as PNG resources.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "IControl.h"
#include "IGraphicsHeadless.h"
#include "TestBinding.h"

namespace rig {

enum Param : int {
  kGain = 0,    // -12..12 dB, step 0.01
  kFreq = 1,    // 20..2000 Hz, step 1, shape 2
  kMode = 2,    // on/off, with the display texts "off"/"on" every on/off parameter has
  kChoice = 3,  // int 0..2 without texts
  kParamCount = 4
};
enum Resource : int { kBackgroundId = 101, kKnobId = 102, kSwitchId = 103, kBrokenId = 104 };
constexpr int kKnobFrames = 5;
constexpr int kSwitchFrames = 3;

// The bytes of a file under the test data folder; empty when unreadable.
std::vector<unsigned char> ReadDataFile(const char* name);

class Plugin : public TestBinding {
 public:
  explicit Plugin(int api = 0);
  int hostMenuParam = -1;
  int hostMenuX = -1;
  int hostMenuY = -1;
  void ShowHostParamMenu(int paramIdx, int x, int y) override {
    hostMenuParam = paramIdx;
    hostMenuX = x;
    hostMenuY = y;
  }
};

// A plug-in with an attached headless editor of the given size.
struct Rig {
  explicit Rig(int width = 64, int height = 48, int api = 0);
  ~Rig();
  Rig(const Rig&) = delete;
  Rig& operator=(const Rig&) = delete;
  Plugin plugin;
  bool attached = false;
  IGraphicsHeadless* gui = nullptr;  // owned by the plug-in once attached
  // Attaches the editor: the parameter values go to every control, then the surfaces are made.
  void Attach();
  // Repaints the whole editor now.
  void PaintAll();
};

// A control that records its paints in a shared log.
class LoggingControl : public IControl {
 public:
  LoggingControl(IEffectBase* owner, const Rect& area, std::vector<int>* log, int id, int paramIdx = -1)
      : IControl(owner, area, paramIdx), log_(log), id_(id) {}
  bool Paint(IGraphics&) override {
    log_->push_back(id_);
    return true;
  }
  std::vector<std::string> events;
  void MouseDown(int x, int y, const MouseMods&) override { events.push_back(Event("down", x, y)); }
  void MouseUp(int x, int y, const MouseMods&) override { events.push_back(Event("up", x, y)); }
  void MouseDrag(int x, int y, int dx, int dy, const MouseMods&) override {
    events.push_back(Event("drag", x, y) + " " + std::to_string(dx) + "," + std::to_string(dy));
  }
  void MouseDoubleClick(int x, int y, const MouseMods&) override { events.push_back(Event("double", x, y)); }

 private:
  static std::string Event(const char* what, int x, int y) {
    return std::string(what) + " " + std::to_string(x) + "," + std::to_string(y);
  }
  std::vector<int>* log_;
  int id_;
};

inline MouseMods Left() {
  MouseMods m;
  m.left = true;
  return m;
}
inline MouseMods Right() {
  MouseMods m;
  m.right = true;
  return m;
}

}  // namespace rig
