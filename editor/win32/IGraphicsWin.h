#pragma once
// The editor in a Windows child window inside the window a host provides.
//
// The layer registers "IEffectWndClass" while any editor window of this
// module is open, repaints what became dirty on a timer of the editor's frame
// rate, turns mouse, wheel and key messages into the core's dispatch calls,
// and supplies popup menus, the in-place value entry (a subclassed EDIT),
// message boxes, file, colour and folder services, the clipboard and the
// module's "PNG" resources.
//
// Threads: everything here runs on the thread that owns the host's parent
// window [ui thread]: its messages and its timer. The process-wide window
// count and frame rate are touched only there.
//
// The header is free of windows.h: handles are kept as void*.

#include <cstdint>
#include <memory>
#include <string>

#include "IGraphics.h"

class IGraphicsWin : public IGraphics {
 public:
  // Text-entry states, advanced by the entry's messages and consumed by the timer.
  enum EntryState : int { kEntryNone = 0, kEntryFocused = 1, kEntryPainted = 2, kEntryCancel = 3, kEntryCommit = 4 };
  static constexpr int kTimerId = 2;
  static constexpr int kEntryControlId = 99;
  static constexpr const char* kWindowClass = "IEffectWndClass";
  static constexpr const char* kWindowTitle = "IEffect";

  IGraphicsWin(IEffectBase* owner, int width, int height, int frameRate);
  // Closes a window that is still open: the editor can go before the host
  // closes its window (an instance closed while its editor is shown).
  ~IGraphicsWin() override;

  // The module whose resources, window class and windows the editor uses.
  // Without one the module that holds this code is used.
  void SetModuleInstance(void* instance);
  void* ModuleInstance() const { return instance_; }

  // ---- Platform operations ----
  void PresentRegion(const Rect& region) override;
  bool MeasureAndDrawText(TextStyle& style, const char* text, Rect& r) override;
  void CancelTextEntry() override;
  void ResizeWindow(int width, int height) override;
  bool IsWindowOpen() const override { return hwnd_ != nullptr; }
  const char* BackendName() const override { return "Windows GDI"; }
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
  bool OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* WindowHandle() override { return hwnd_; }
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  PIX_IBitmap* LoadPngResource(int resourceId, const char* name) override;
  bool GetClipboardText(std::string& text) override;
  bool SetClipboardText(const char* text) override;

  // ---- For the window procedures and tests ----
  int EntryStateNow() const { return entryState_; }
  void* EntryWindow() const { return entryHwnd_; }
  // Editor windows open in this module (the class is registered while > 0).
  static int OpenWindowCount();

 private:
  friend struct IGraphicsWinProcs;

  // Closes the entry, stops the timer and gives the window up; destroys it
  // unless it is already being destroyed.
  void ReleaseWindow(bool destroy);
  void OnTimer();
  void DestroyTextEntry(bool commit);
  void CommitEntryText();
  void ForwardToRoot(unsigned msg, uintptr_t wParam, intptr_t lParam);
  void* MainWindow();

  void* instance_ = nullptr;
  void* hwnd_ = nullptr;
  void* tooltipHwnd_ = nullptr;
  void* entryHwnd_ = nullptr;
  IControl* entryControl_ = nullptr;
  int entryParamIdx_ = -1;  // the parameter the entry was opened for
  intptr_t entryPrevProc_ = 0;
  int entryState_ = kEntryNone;
  void* entryFont_ = nullptr;   // HFONT, deleted with the entry
  void* entryBrush_ = nullptr;  // HBRUSH of the entry background
  bool tooltipShown_ = false;
  int tooltipControl_ = -1;
  std::unique_ptr<unsigned long[]> customColours_;  // 16 COLORREFs, on first use
  void* parentHwnd_ = nullptr;
  void* mainHwnd_ = nullptr;
  std::string mainClassName_;
  bool cursorHidden_ = false;
};
