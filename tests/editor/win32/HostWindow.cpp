#include "HostWindow.h"


#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "PIX_Bitmap.h"
#include "PIX_Png.h"
#include "PngWriter.h"

namespace {
const char* const kHostClass = "VeltoTestHostWindow";

LPARAM Point(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }
}  // namespace

HostWindow::HostWindow(int width, int height) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kHostClass;
  RegisterClassExA(&wc);  // fails harmlessly when a previous window registered it
  hwnd_ = CreateWindowExA(0, kHostClass, "Velto test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, width,
                          height, nullptr, nullptr, wc.hInstance, this);
  PumpMessages();
}

HostWindow::~HostWindow() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  PumpMessages();
}

LRESULT CALLBACK HostWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<HostWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self && (msg == WM_KEYDOWN || msg == WM_KEYUP)) {
    ++self->keys_;
    return 0;
  }
  if (msg == WM_NCDESTROY) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND HostWindow::Editor() const { return FindWindowExA(hwnd_, nullptr, "IEffectWndClass", nullptr); }

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Tick(HWND editor) { SendMessageA(editor, WM_TIMER, 2, 0); }

void Press(HWND w, int x, int y, bool right, WPARAM extraKeys) {
  SendMessageA(w, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, (right ? MK_RBUTTON : MK_LBUTTON) | extraKeys, Point(x, y));
}

void Release(HWND w, int x, int y, bool right) { SendMessageA(w, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, Point(x, y)); }

void Click(HWND w, int x, int y, bool right, WPARAM extraKeys) {
  Press(w, x, y, right, extraKeys);
  Release(w, x, y, right);
}

void DragVertically(HWND w, int x, int y, int dy, int steps) {
  Press(w, x, y);
  for (int i = 1; i <= steps; ++i) SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, Point(x, y + dy * i / steps));
  Release(w, x, y + dy);
}

void DoubleClick(HWND w, int x, int y) {
  Click(w, x, y);
  SendMessageA(w, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(x, y));
  Release(w, x, y);
}

void Wheel(HWND w, int x, int y, int notches) {
  POINT p{x, y};
  ClientToScreen(w, &p);
  const WPARAM delta = static_cast<WORD>(static_cast<short>(notches * WHEEL_DELTA));
  SendMessageA(w, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), Point(p.x, p.y));
}

void Type(HWND focus, const char* text) {
  for (const char* c = text; *c; ++c) SendMessageA(focus, WM_CHAR, static_cast<unsigned char>(*c), 1);
}

void PressEnter(HWND focus) {
  SendMessageA(focus, WM_KEYDOWN, VK_RETURN, 1);
  SendMessageA(focus, WM_KEYUP, VK_RETURN, 1 | (3u << 30));
}

Capture CaptureWindow(HWND w) {
  Capture c;
  RECT r;
  if (!GetClientRect(w, &r)) return c;
  c.width = r.right - r.left;
  c.height = r.bottom - r.top;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = c.width;
  info.bmiHeader.biHeight = -c.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC windowDc = GetDC(w);
  HDC memDc = CreateCompatibleDC(windowDc);
  HBITMAP section = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section && bits) {
    HGDIOBJ old = SelectObject(memDc, section);
    BitBlt(memDc, 0, 0, c.width, c.height, windowDc, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    c.pixels.assign(p, p + static_cast<size_t>(c.width) * c.height);
    for (uint32_t& px : c.pixels) px |= 0xFF000000u;
    SelectObject(memDc, old);
  }
  if (section) DeleteObject(section);
  DeleteDC(memDc);
  ReleaseDC(w, windowDc);
  return c;
}

bool WriteCapturePng(const Capture& c, const std::string& path) {
  if (c.width <= 0 || c.height <= 0) return false;
  PIX_MemBitmap bitmap(c.width, c.height);
  for (int y = 0; y < c.height; ++y) {
    uint32_t* row = PIX_Row(bitmap, y);
    for (int x = 0; x < c.width; ++x) row[x] = c.pixels[static_cast<size_t>(y) * c.width + x];
  }
  return WritePngFile(path.c_str(), bitmap);
}

GoldenComparison CompareWithGolden(const Capture& c, const std::string& goldenPath,
                                   const std::vector<PixelRect>& textRegions) {
  GoldenComparison result;
  std::unique_ptr<PIX_MemBitmap> golden = PIX_LoadPngFromFile(goldenPath.c_str());
  if (!golden || golden->Width() != c.width || golden->Height() != c.height) return result;
  result.loaded = true;
  auto at = [&](int x, int y) { return c.pixels[static_cast<size_t>(y) * c.width + x]; };
  auto inText = [&](int x, int y) {
    for (const PixelRect& r : textRegions)
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
  };
  for (int y = 0; y < c.height; ++y) {
    const uint32_t* g = PIX_Row(*golden, y);
    for (int x = 0; x < c.width; ++x)
      if (!inText(x, y) && (at(x, y) & 0xFFFFFFu) != (g[x] & 0xFFFFFFu)) ++result.outsideTextDiffering;
  }
  // Glyphs come from another rasteriser and may sit a pixel off: a text
  // region must match on average, at the best offset of at most one pixel.
  for (size_t i = 0; i < textRegions.size(); ++i) {
    const PixelRect& r = textRegions[i];
    double best = 1e9;
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        double sum = 0.0;
        int count = 0;
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, c.height); ++y) {
          const uint32_t* g = PIX_Row(*golden, y);
          const int cy = std::clamp(y + dy, 0, c.height - 1);
          for (int x = std::max(r.left, 0); x < std::min(r.right, c.width); ++x) {
            const uint32_t a = at(std::clamp(x + dx, 0, c.width - 1), cy);
            sum += std::abs(PIX_Red(a) - PIX_Red(g[x])) + std::abs(PIX_Green(a) - PIX_Green(g[x])) +
                   std::abs(PIX_Blue(a) - PIX_Blue(g[x]));
            count += 3;
          }
        }
        if (count) best = std::min(best, sum / count);
      }
    }
    if (best < 1e9 && best > result.worstTextRegion) {
      result.worstTextRegion = best;
      result.worstTextIndex = static_cast<int>(i);
    }
  }
  return result;
}

namespace {
// Wine does not count GDI objects in GetGuiResources. It keeps them, as
// Windows does, in a handle table that the process environment block points
// to; in Wine's layout each entry is 24 bytes with the object type at byte
// 14, 0 for a free entry.
int GdiObjectsFromHandleTable() {
  using GetPeb = void*(WINAPI*)();
  const auto getPeb = reinterpret_cast<GetPeb>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetCurrentPeb")));
  if (!getPeb) return -1;
  const auto* peb = static_cast<const unsigned char*>(getPeb());
#if defined(_WIN64)
  const size_t tableOffset = 0xF8;
#else
  const size_t tableOffset = 0x94;
#endif
  const unsigned char* table = *reinterpret_cast<const unsigned char* const*>(peb + tableOffset);
  if (!table) return -1;
  int count = 0;
  for (size_t i = 0; i < 0x10000; ++i) count += table[i * 24 + 14] != 0;
  return count;
}
}  // namespace

int GdiObjects() {
  const int counted = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  return counted > 0 ? counted : GdiObjectsFromHandleTable();
}

size_t PrivateBytes() {
  // Committed memory that is not a mapped module: heaps, bitmaps, stacks.
  size_t total = 0;
  MEMORY_BASIC_INFORMATION info;
  const char* p = nullptr;
  while (VirtualQuery(p, &info, sizeof info) == sizeof info) {
    if (info.State == MEM_COMMIT && info.Type != MEM_IMAGE) total += info.RegionSize;
    const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    if (next <= p) break;
    p = next;
  }
  return total;
}
