#pragma once
// The editor in an X11 child window of the host's window.
//
// The layer has no thread of its own: the host drives it from its UI thread,
// through WindowIdle (VST2 effEditIdle, the VST3 run loop's timer and its
// file-descriptor callback). WindowIdle handles the X events waiting on the
// editor's own connection and runs the redraw tick when it is due. The back
// buffer reaches the window with XPutImage, through shared memory when the
// server offers it. Popup menus are override-redirect windows the editor
// draws itself; the text entry is an editing field drawn over the control.
//
// No Xlib header is included here: the connection, windows and images live in
// the X11Window record of the .cpp files.

#include <memory>
#include <string>

#include "IGraphics.h"

struct X11Window;
class X11TextEntry;

class IGraphicsX11 : public IGraphics {
 public:
  IGraphicsX11(IEffectBase* owner, int width, int height, int frameRate);
  ~IGraphicsX11() override;

  // True when an X display is named (DISPLAY); without one the modules still
  // load and process, and opening the editor is simply not offered.
  bool HasWindow() const override;
  // parent: the host's X window id carried in the pointer. [ui thread]
  bool OpenWindow(void* parent) override;
  void CloseWindow() override;
  void WindowIdle() override;
  int WindowEventFd() const override;
  int TickMilliseconds() const override;

  // One redraw tick: the text entry's pending commit or cancel, or the dirty
  // controls painted and presented. [ui thread]
  void Tick();
  // Handles every X event waiting on the editor's connection. [ui thread]
  void HandleEvents();

  // ---- Platform operations ----
  void PresentRegion(const Rect& region) override;
  bool MeasureAndDrawText(TextStyle& style, const char* text, Rect& r) override;
  void CancelTextEntry() override;
  void ResizeWindow(int width, int height) override;
  bool IsWindowOpen() const override;
  const char* BackendName() const override { return "X11"; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  PopupMenu* ShowPopupMenu(PopupMenu* menu, const Rect& r) override;
  void CreateTextEntry(IControl* control, const TextStyle& style, const Rect& r, const char* text) override;
  void HostPath(char* path, int size) override;
  void PluginPath(char* path, int size) override;
  void DesktopPath(char* path, int size) override;
  void AppDataPath(char* path, int size) override;
  bool PromptForFile(char* path, int size, bool save, const char* extensions) override;
  bool PromptForColour(Colour* colour, const char* title) override;
  bool OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg, const char* errMsg) override;
  void* WindowHandle() override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  bool GetClipboardText(std::string& text) override;
  bool SetClipboardText(const char* text) override;

  // Events forwarded by a host through the window's _XEventProc property:
  // they only say that the editor's own connection has something to read.
  static void ForwardedEvent(void* event);

 private:
  void HandleEvent(void* event);
  void HandleButton(void* event, bool press);
  void HandleKey(void* event);
  void CloseTextEntry(bool commit);
  void PaintTextEntry();
  void AnswerSelectionRequest(void* event);

  std::unique_ptr<X11Window> x_;
  std::unique_ptr<X11TextEntry> entry_;
  std::string clipboardText_;  // what we offer while we own CLIPBOARD
  long long lastTickMs_ = 0;
  unsigned long lastPressTime_ = 0;
  int lastPressX_ = -100;
  int lastPressY_ = -100;
  bool pressDispatched_ = false;   // the editor saw the press whose release comes next
  bool releaseAfterMenu_ = false;  // the press that opened a menu gets its release
  int urlChild_ = 0;               // the last xdg-open started, reaped when it exits
};
