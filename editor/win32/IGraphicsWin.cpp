// The editor window: class registration, opening and closing, the redraw
// timer, painting and the mouse and key messages.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "IGraphicsWin.h"

#include "IControl.h"
#include "IEffectBase.h"
#include "PIX_Bitmap.h"
#include "WinProcs.h"

namespace {
// Process-wide, touched only on the window thread.
int gOpenWindows = 0;
int gFrameRate = IGraphics::kDefaultFrameRate;
// The class outlived its last window: that window was being destroyed with
// the host's window when its count reached 0, and a class cannot be
// unregistered while a window of it exists. Retried on the next close.
bool gUnregisterPending = false;

void UnregisterIfUnused(HINSTANCE instance) {
  if (gOpenWindows > 0) return;
  gUnregisterPending = !UnregisterClassA(IGraphicsWin::kWindowClass, instance);
}

IGraphicsWin* EditorOf(HWND hwnd) { return reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

MouseMods ModsFrom(WPARAM wParam) {
  MouseMods mods;
  mods.left = (wParam & MK_LBUTTON) != 0;
  mods.right = (wParam & MK_RBUTTON) != 0;
  mods.shift = (wParam & MK_SHIFT) != 0;
  mods.control = (wParam & MK_CONTROL) != 0;
  mods.alt = GetKeyState(VK_MENU) < 0;
  return mods;
}

// Key codes of the editor: space, the four arrows, digits, letters; -1 for the rest.
int MapKey(WPARAM vk) {
  switch (vk) {
    case VK_SPACE: return 0;
    case VK_UP: return 1;
    case VK_DOWN: return 2;
    case VK_LEFT: return 3;
    case VK_RIGHT: return 4;
    default: break;
  }
  if (vk >= '0' && vk <= '9') return 5 + static_cast<int>(vk - '0');
  if (vk >= 'A' && vk <= 'Z') return 15 + static_cast<int>(vk - 'A');
  return -1;
}
}  // namespace

int IGraphicsWin::OpenWindowCount() { return gOpenWindows; }

IGraphicsWin::IGraphicsWin(IEffectBase* owner, int width, int height, int frameRate)
    : IGraphics(owner, width, height, frameRate) {
  SetModuleInstance(nullptr);
}

IGraphicsWin::~IGraphicsWin() {
  CloseWindow();
  if (cursorHidden_) ShowMouseCursor();
}

void IGraphicsWin::SetModuleInstance(void* instance) {
  instance_ = instance ? instance : win32util::ThisModule();
}

bool IGraphicsWin::OpenWindow(void* parent) {
  RECT previous{};
  bool reopen = false;
  if (hwnd_) {
    // The new window takes the place and size of the one it replaces.
    HWND old = static_cast<HWND>(hwnd_);
    GetWindowRect(old, &previous);
    MapWindowPoints(HWND_DESKTOP, GetParent(old), reinterpret_cast<POINT*>(&previous), 2);
    reopen = true;
    CloseWindow();
  }
  HINSTANCE instance = static_cast<HINSTANCE>(instance_);
  gUnregisterPending = false;
  if (gOpenWindows++ == 0) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = IGraphicsWinProcs::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    RegisterClassExA(&wc);
  }
  gFrameRate = FrameRate();
  parentHwnd_ = parent;
  HWND hwnd = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                              Width(), Height(), static_cast<HWND>(parent), nullptr, instance, this);
  if (!hwnd) {
    hwnd_ = nullptr;
    --gOpenWindows;
    UnregisterIfUnused(instance);
    return false;
  }
  if (reopen)
    SetWindowPos(hwnd, nullptr, previous.left, previous.top, previous.right - previous.left,
                 previous.bottom - previous.top, SWP_NOZORDER | SWP_NOACTIVATE);
  FlagAllForRedraw();
  // Tooltips are never enabled in this editor: no tooltip window is made.
  return true;
}

void IGraphicsWin::CloseWindow() {
  if (hwnd_)
    ReleaseWindow(true);
  else if (gUnregisterPending)
    UnregisterIfUnused(static_cast<HINSTANCE>(instance_));
}

void IGraphicsWin::ReleaseWindow(bool destroy) {
  if (!hwnd_) return;
  HWND hwnd = static_cast<HWND>(hwnd_);
  // An entry still open when the host closes the editor goes without being applied.
  if (entryHwnd_) DestroyTextEntry(false);
  if (tooltipHwnd_) {
    DestroyWindow(static_cast<HWND>(tooltipHwnd_));
    tooltipHwnd_ = nullptr;
    tooltipShown_ = false;
    tooltipControl_ = -1;
  }
  // No tick may reach an editor whose window is gone.
  KillTimer(hwnd, kTimerId);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  if (GetCapture() == hwnd) ReleaseCapture();
  hwnd_ = nullptr;
  if (destroy) DestroyWindow(hwnd);
  if (gOpenWindows > 0) --gOpenWindows;
  UnregisterIfUnused(static_cast<HINSTANCE>(instance_));
}

void IGraphicsWin::PresentRegion(const Rect& region) {
  HWND hwnd = static_cast<HWND>(hwnd_);
  PIX_IBitmap* back = BackBuffer();
  if (!hwnd || !back) return;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc)
    BitBlt(dc, region.left, region.top, region.W(), region.H(), static_cast<HDC>(back->DeviceContext()),
           region.left, region.top, SRCCOPY);
  EndPaint(hwnd, &ps);
}

bool IGraphicsWin::MeasureAndDrawText(TextStyle& style, const char* text, Rect& r) {
  return DrawLabel(style, text, r, true);
}

void IGraphicsWin::ResizeWindow(int width, int height) {
  if (width == Width() && height == Height()) return;
  const int dw = width - Width();
  const int dh = height - Height();
  Resize(width, height);
  HWND hwnd = static_cast<HWND>(hwnd_);
  if (!hwnd) return;
  auto grow = [&](HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    SetWindowPos(w, nullptr, 0, 0, r.right - r.left + dw, r.bottom - r.top + dh,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  grow(hwnd);
  const int api = Owner() ? Owner()->PluginApi() : 0;
  if (api != 1 && api != 3) {
    // The host's frame grows with the editor, as long as it is an embedded child.
    auto isPlainChild = [](HWND w) {
      return w && (GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD) && !(GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_MDICHILD);
    };
    HWND parent = GetParent(hwnd);
    if (isPlainChild(parent)) {
      grow(parent);
      HWND grand = GetParent(parent);
      if (isPlainChild(grand)) grow(grand);
    }
  }
  InvalidateRect(hwnd, nullptr, FALSE);
}

void IGraphicsWin::ForwardToRoot(unsigned msg, uintptr_t wParam, intptr_t lParam) {
  HWND hwnd = static_cast<HWND>(hwnd_);
  HWND root = hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr;
  if (root && root != hwnd) SendMessageA(root, msg, wParam, lParam);
}

void IGraphicsWin::OnTimer() {
  HWND hwnd = static_cast<HWND>(hwnd_);
  if (entryHwnd_ && entryState_ != kEntryNone) {
    if (entryState_ == kEntryCancel)
      DestroyTextEntry(false);
    else if (entryState_ == kEntryCommit)
      DestroyTextEntry(true);
    else
      entryState_ = kEntryNone;
    return;
  }
  Rect r;
  if (!CollectDirty(r)) return;
  RECT dirty{r.left, r.top, r.right, r.bottom};
  InvalidateRect(hwnd, &dirty, FALSE);
  if (entryHwnd_ && entryControl_) {
    const Rect& a = entryControl_->Area();
    RECT keep{a.left, a.top, a.right, a.bottom};
    ValidateRect(hwnd, &keep);
    UpdateWindow(hwnd);
    entryState_ = kEntryPainted;
  } else {
    UpdateWindow(hwnd);
  }
}

LRESULT CALLBACK IGraphicsWinProcs::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    auto* gui = static_cast<IGraphicsWin*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(gui));
    gui->hwnd_ = hwnd;
    SetTimer(hwnd, IGraphicsWin::kTimerId, static_cast<UINT>(1000 / gFrameRate), nullptr);
    SetFocus(hwnd);
    return 0;
  }
  IGraphicsWin* gui = EditorOf(hwnd);
  // A window that is not (or no longer) an open editor's gets the default handling.
  if (!gui || gui->hwnd_ != hwnd) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return Handle(gui, hwnd, msg, wParam, lParam);
}

LRESULT IGraphicsWinProcs::Handle(IGraphicsWin* gui, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const bool entryOpen = gui->entryHwnd_ != nullptr;
  if (entryOpen && gui->entryState_ == IGraphicsWin::kEntryFocused) {
    // While the entry has the focus the editor leaves the mouse and keys to
    // it; a press before the next tick has seen the entry cancels it. The
    // timer and painting go on, so the next tick can see the entry and the
    // editor keeps its pictures. The release of the press that opened the
    // entry still ends that press (capture and the host's edit gesture).
    const bool keepsRunning = msg == WM_TIMER || msg == WM_PAINT || msg == WM_LBUTTONUP || msg == WM_RBUTTONUP;
    if (!keepsRunning) {
      if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN) gui->entryState_ = IGraphicsWin::kEntryCancel;
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
  }
  const int x = static_cast<short>(LOWORD(lParam));
  const int y = static_cast<short>(HIWORD(lParam));
  switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return 0;
    case WM_PAINT: {
      RECT r;
      if (GetUpdateRect(hwnd, &r, FALSE)) {
        gui->RedrawRegion(Rect(r.left, r.top, r.right, r.bottom));
      } else {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
      }
      return 0;
    }
    case WM_PRINTCLIENT: {
      // A copy of what the window shows, for screen readers and captures.
      if (PIX_IBitmap* back = gui->BackBuffer())
        BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, gui->Width(), gui->Height(),
               static_cast<HDC>(back->DeviceContext()), 0, 0, SRCCOPY);
      return 0;
    }
    case WM_CLOSE:
      gui->CloseWindow();
      return 0;
    case WM_KEYDOWN: {
      const int key = MapKey(wParam);
      bool handled = false;
      if (key >= 0) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd, &p);
        handled = gui->DispatchKey(p.x, p.y, key);
      }
      if (!handled) gui->ForwardToRoot(msg, wParam, lParam);
      return 0;
    }
    case WM_KEYUP:
      gui->ForwardToRoot(msg, wParam, lParam);
      return 0;
    case WM_TIMER:
      if (wParam == IGraphicsWin::kTimerId) {
        gui->OnTimer();
        return 0;
      }
      break;
    case WM_MOUSEMOVE: {
      const MouseMods mods = ModsFrom(wParam);
      if (mods.left || mods.right) {
        if (GetCapture() == hwnd && !entryOpen) gui->DispatchMouseDrag(x, y, mods);
      } else if (gui->DispatchMouseOver(x, y, mods)) {
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, HOVER_DEFAULT};
        TrackMouseEvent(&track);
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (gui->tooltipShown_ && gui->tooltipHwnd_) gui->tooltipShown_ = false;
      if (entryOpen) {
        gui->entryState_ = IGraphicsWin::kEntryCommit;
      } else {
        SetFocus(hwnd);
        SetCapture(hwnd);
        gui->DispatchMouseDown(x, y, ModsFrom(wParam));
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (GetCapture() == hwnd) ReleaseCapture();
      gui->DispatchMouseUp(x, y, ModsFrom(wParam));
      return 0;
    case WM_LBUTTONDBLCLK:
      if (gui->DispatchDoubleClick(x, y, ModsFrom(wParam))) SetCapture(hwnd);
      return 0;
    case WM_MOUSEWHEEL: {
      if (entryOpen) {
        gui->entryState_ = IGraphicsWin::kEntryCancel;
        return 0;
      }
      const int notches = static_cast<short>(HIWORD(wParam)) / WHEEL_DELTA;
      RECT w;
      GetWindowRect(hwnd, &w);
      gui->DispatchMouseWheel(x - w.left, y - w.top, ModsFrom(LOWORD(wParam)), notches);
      return 0;
    }
    case WM_MOUSELEAVE:
      gui->tooltipShown_ = false;
      gui->DispatchMouseOut();
      return 0;
    case WM_CTLCOLOREDIT:
      if (entryOpen && gui->entryControl_) {
        const TextStyle& style = gui->entryControl_->Style();
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, win32util::ToColorRef(style.entryBackground));
        SetTextColor(dc, win32util::ToColorRef(style.entryForeground));
        SetBkMode(dc, OPAQUE);
        return reinterpret_cast<LRESULT>(gui->entryBrush_);
      }
      break;
    case WM_DESTROY:
      // Destroyed with the host's window, without a close: forget it.
      gui->ReleaseWindow(false);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}
