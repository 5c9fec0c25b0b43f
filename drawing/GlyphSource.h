#pragma once
// What a platform supplies to PIX_CachedFont: font handles, glyph coverage
// and, where it has one, its own text output. Internal to the drawing
// library; implemented once per platform (freetype/, win32/).

#include <cstdint>
#include <vector>

#include "PIX_Font.h"

namespace pix {

struct GlyphImage {
  // Coverage box relative to the pen at the top of the line, and the advance.
  int left = 0, top = 0, width = 0, height = 0;
  int advance = 0;
  std::vector<uint8_t> coverage;  // width * height bytes, 0..255, row by row
};

// The font's line height in pixels (0 for no font).
int FontLineHeight(PIX_FontHandle font);

// Renders one glyph. False when the platform cannot render it at all.
bool RenderGlyph(PIX_FontHandle font, uint32_t codePoint, GlyphImage& out);

// Draws with the platform's own text output on dst's drawing context, with
// PIX_TEXT_* flags (they equal the platform's where it has them). False when
// the platform has none for this bitmap; the caller then uses its cache.
struct NativeText {
  const uint32_t* codePoints;
  size_t count;
  uint32_t colour;
  int backMode;
  uint32_t backColour;
};
bool DrawNative(PIX_FontHandle font, PIX_IBitmap* dst, const NativeText& text, PIX_Rect* rect, int flags,
                int* height);

}  // namespace pix
