// Fonts on Windows: GDI fonts. Glyphs are drawn white on opaque black into
// one shared 256 x 256 system bitmap and their brightness is taken as the
// coverage; the native path draws with DrawTextW on the destination's own
// device context.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "GlyphSource.h"
#include "PIX_Draw.h"
#include "PIX_SysBitmap.h"

namespace {

// The glyph-rendering bitmap, shared by every font of the module and used
// from the editor's window thread only.
PIX_SysBitmap& GlyphCanvas() {
  static PIX_SysBitmap canvas(256, 256);
  return canvas;
}

// Where a glyph's pen starts on the canvas: room on the left for overhangs.
constexpr int kOriginX = 32;
constexpr int kOriginY = 0;

int ToUtf16(uint32_t cp, wchar_t out[2]) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out[0] = wchar_t(0xD800 + (cp >> 10));
    out[1] = wchar_t(0xDC00 + (cp & 0x3FF));
    return 2;
  }
  out[0] = wchar_t(cp);
  return 1;
}

DWORD QualityFor(int quality) {
  switch (quality) {
    case PIX_QUALITY_NONANTIALIASED: return NONANTIALIASED_QUALITY;
    case PIX_QUALITY_ANTIALIASED: return ANTIALIASED_QUALITY;
    case PIX_QUALITY_CLEARTYPE: return CLEARTYPE_QUALITY;
    default: return DEFAULT_QUALITY;
  }
}

}  // namespace

PIX_FontHandle PIX_CreateFontHandle(const PIX_FontSpec& spec) {
  char face[LF_FACESIZE] = {};
  if (spec.face != nullptr) std::strncpy(face, spec.face, LF_FACESIZE - 1);
  HFONT font = CreateFontA(spec.height, spec.width, spec.escapement, spec.orientation, spec.weight,
                           spec.italic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, QualityFor(spec.quality), DEFAULT_PITCH | FF_DONTCARE, face);
  return font;
}

void PIX_DeleteFontHandle(PIX_FontHandle font) {
  if (font != nullptr) DeleteObject(static_cast<HGDIOBJ>(font));
}

namespace pix {

int FontLineHeight(PIX_FontHandle font) {
  PIX_SysBitmap& canvas = GlyphCanvas();
  if (font == nullptr || canvas.DeviceContext() == nullptr) return 0;
  HDC dc = static_cast<HDC>(canvas.DeviceContext());
  HGDIOBJ old = SelectObject(dc, static_cast<HGDIOBJ>(font));
  TEXTMETRICW metrics{};
  const bool ok = GetTextMetricsW(dc, &metrics) != 0;
  SelectObject(dc, old);
  return ok ? int(metrics.tmHeight) : 0;
}

bool RenderGlyph(PIX_FontHandle font, uint32_t codePoint, GlyphImage& out) {
  PIX_SysBitmap& canvas = GlyphCanvas();
  if (font == nullptr || canvas.IsEmpty() || canvas.DeviceContext() == nullptr) return false;
  HDC dc = static_cast<HDC>(canvas.DeviceContext());
  PIX_Fill(&canvas, 0, 0, 256, 256, 0xFF000000, 1.0f, PIX_COPY);
  HGDIOBJ old = SelectObject(dc, static_cast<HGDIOBJ>(font));
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, OPAQUE);
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  wchar_t text[2];
  const int count = ToUtf16(codePoint, text);
  SIZE size{};
  GetTextExtentPoint32W(dc, text, count, &size);
  TextOutW(dc, kOriginX, kOriginY, text, count);
  GdiFlush();
  SelectObject(dc, old);

  // The box of every pixel the glyph lit.
  int x0 = 256, y0 = 256, x1 = -1, y1 = -1;
  for (int y = 0; y < 256; ++y) {
    const uint32_t* row = PIX_Row(canvas, y);
    for (int x = 0; x < 256; ++x)
      if (row[x] & 0xFFFFFF) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
  }
  out.advance = int(size.cx);
  out.coverage.clear();
  if (x1 < 0) {
    out.left = out.top = out.width = out.height = 0;
    return true;
  }
  out.left = x0 - kOriginX;
  out.top = y0 - kOriginY;
  out.width = x1 - x0 + 1;
  out.height = y1 - y0 + 1;
  out.coverage.resize(size_t(out.width) * size_t(out.height));
  for (int y = 0; y < out.height; ++y) {
    const uint32_t* row = PIX_Row(canvas, y0 + y) + x0;
    for (int x = 0; x < out.width; ++x) {
      const uint32_t p = row[x];
      out.coverage[size_t(y) * size_t(out.width) + size_t(x)] =
          uint8_t((PIX_Red(p) + PIX_Green(p) + PIX_Blue(p)) / 3);
    }
  }
  return true;
}

bool DrawNative(PIX_FontHandle font, PIX_IBitmap* dst, const NativeText& text, PIX_Rect* rect, int flags,
                int* height) {
  if (font == nullptr || dst == nullptr || dst->DeviceContext() == nullptr) return false;
  std::wstring wide;
  wide.reserve(text.count);
  for (size_t i = 0; i < text.count; ++i) {
    wchar_t units[2];
    wide.append(units, size_t(ToUtf16(text.codePoints[i], units)));
  }
  if (wide.size() > size_t(0x7FFFFFFF)) return false;
  HDC dc = static_cast<HDC>(dst->DeviceContext());
  HGDIOBJ old = SelectObject(dc, static_cast<HGDIOBJ>(font));
  SetTextColor(dc, RGB(PIX_Red(text.colour), PIX_Green(text.colour), PIX_Blue(text.colour)));
  const bool opaque = text.backMode == PIX_BACK_OPAQUE && text.backColour != 0xFFFFFFFFu;
  SetBkMode(dc, opaque ? OPAQUE : TRANSPARENT);
  if (opaque) SetBkColor(dc, RGB(PIX_Red(text.backColour), PIX_Green(text.backColour), PIX_Blue(text.backColour)));
  RECT r{rect->left, rect->top, rect->right, rect->bottom};
  // The library's text flags are GDI's; '&' is text, not a mnemonic prefix.
  const UINT format = UINT(flags & 0xFFFF) | DT_NOPREFIX;
  *height = DrawTextW(dc, wide.c_str(), int(wide.size()), &r, format);
  GdiFlush();
  SelectObject(dc, old);
  if (flags & PIX_TEXT_MEASURE) *rect = PIX_Rect{r.left, r.top, r.right, r.bottom};
  return true;
}

}  // namespace pix
