#pragma once
// The host side of the Win32 editor tests: a top-level window that a plug-in
// editor opens into, the window messages a person's gestures produce, the
// window's pixels, and the process's GDI and memory use.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class HostWindow {
 public:
  HostWindow(int width = 480, int height = 600);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND Handle() const { return hwnd_; }
  // The editor child the plug-in opened (class "IEffectWndClass"), or null.
  HWND Editor() const;
  // Keys the host window received from the editor.
  int KeysReceived() const { return keys_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
  int keys_ = 0;
};

// Dispatches whatever is queued for this thread.
void PumpMessages();
// One tick of the editor's redraw timer, as the system sends it.
void Tick(HWND editor);

// Gestures, as the messages the system sends for them (editor coordinates).
void Press(HWND w, int x, int y, bool right = false, WPARAM extraKeys = 0);
void Release(HWND w, int x, int y, bool right = false);
void Click(HWND w, int x, int y, bool right = false, WPARAM extraKeys = 0);
void DragVertically(HWND w, int x, int y, int dy, int steps);
void DoubleClick(HWND w, int x, int y);
// One wheel notch per count (negative turns down); the position is sent in
// screen coordinates, as the system does.
void Wheel(HWND w, int x, int y, int notches);
// Characters typed into the focused window, then optionally Enter.
void Type(HWND focus, const char* text);
void PressEnter(HWND focus);

// The window's pixels as 0xAARRGGBB with alpha 255, row by row.
struct Capture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
};
Capture CaptureWindow(HWND w);
bool WriteCapturePng(const Capture& c, const std::string& path);

struct PixelRect {
  int left, top, right, bottom;
};
struct GoldenComparison {
  bool loaded = false;
  int outsideTextDiffering = 0;  // pixels outside every text region that differ
  // The worst text region's mean channel difference (0..255), each region
  // shifted by up to one pixel to its best fit.
  double worstTextRegion = 0.0;
  int worstTextIndex = -1;
};
GoldenComparison CompareWithGolden(const Capture& c, const std::string& goldenPath,
                                   const std::vector<PixelRect>& textRegions);

// GDI objects of this process (-1 where they cannot be counted) and its
// committed memory outside mapped modules, in bytes.
int GdiObjects();
size_t PrivateBytes();
