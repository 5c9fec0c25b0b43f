#pragma once
// A host's side of an X11 editor, for tests under Xvfb: a top-level window
// the editor opens in, the editor opened through a module's real exports
// (VST2 effEditOpen/effEditIdle, or the VST3 view with a run loop of our
// own), a person at the keyboard and mouse (XTest on a second connection),
// and screenshots of the editor window.

#include <X11/Xlib.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Vst2Host.h"
#include "Vst3Host.h"

// One module's editor as the test drives it.
class EditorUnderTest {
 public:
  virtual ~EditorUnderTest() = default;
  virtual std::string Name() const = 0;
  // Opens the editor in parent; false when the module refuses.
  virtual bool Open(Window parent) = 0;
  virtual void Close() = 0;
  // What the host's UI thread does between events: idle call or run loop.
  virtual void Pump() = 0;
  virtual double Param(int idx) = 0;  // normalised, through the exports
  virtual void SetParam(int idx, double normalized) = 0;
  // Stereo audio through the module's double-precision process entry.
  virtual void Process(const std::vector<double>& left, const std::vector<double>& right, int block) = 0;
  virtual void SelectPreset(int idx) = 0;
  // The size the module reports for its editor.
  virtual bool EditorSize(int* width, int* height) = 0;
};

std::unique_ptr<EditorUnderTest> OpenVst2Module();
std::unique_ptr<EditorUnderTest> OpenVst3Module();

// The screen, the host's window and the person in front of them.
class X11Rig {
 public:
  X11Rig();
  ~X11Rig();
  bool Ok() const { return host_ && person_ && parent_; }
  Window Parent() const { return parent_; }
  Display* HostDisplay() const { return host_; }

  // The editor's window: the only child of the host's window; 0 when none.
  Window EditorWindow();
  int CountChildren();
  // Top-level override-redirect windows that are mapped (popup menus).
  std::vector<Window> MappedPopups();

  // ---- The person (XTest), in coordinates of the editor window ----
  void MoveTo(int x, int y);
  // Moves to and clicks a point given in screen coordinates.
  void ClickOnScreen(int x, int y, int button = 1);
  void Press(int button);
  void Release(int button);
  void Click(int x, int y, int button = 1);
  void Drag(int x1, int y1, int x2, int y2, int button = 1);
  void Wheel(int x, int y, int notches);  // positive: away from the user
  void HoldKey(unsigned long keysym, bool down);
  void Type(const std::string& text);  // characters and "\n" for Enter
  void KeyTap(unsigned long keysym);
  // Waits for the person's input to reach the server.
  void Sync();

  // Calls pump until done() holds or a generous time has passed; returns done().
  static bool PumpUntil(EditorUnderTest& editor, const std::function<bool()>& done, int timeoutMs = 5000);
  // Pumps for a number of redraw ticks' worth of time.
  static void PumpFor(EditorUnderTest& editor, int milliseconds);

  // The editor window's pixels as 0x00RRGGBB, row by row; empty on failure.
  std::vector<uint32_t> Screenshot(int* width, int* height);

  // The clipboard as another program holds it: CLIPBOARD owned by a window
  // of a third connection, answered from a thread of its own until the rig goes.
  bool OwnClipboard(const std::string& text);

 private:
  Display* host_ = nullptr;
  Display* person_ = nullptr;
  Window parent_ = 0;
  int originX_ = 0, originY_ = 0;  // the editor's top-left corner on the screen
  struct ClipboardOwner;
  std::unique_ptr<ClipboardOwner> clipboard_;
};

// Writes pixels (0x00RRGGBB) as a PNG for a person to look at.
bool WriteScreenshot(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height);
// Reads a PNG as 0x00RRGGBB pixels; empty when it cannot be read.
std::vector<uint32_t> ReadPicture(const std::string& path, int* width, int* height);
