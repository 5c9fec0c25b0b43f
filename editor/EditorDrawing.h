#pragma once
// The editor's only door to the drawing library: every fill, line, blit, text
// and image decode of the editor goes through these few calls, which map the
// editor's records (Rect, Colour, BlendSpec, TextStyle) onto the library.

#include <cstddef>
#include <memory>

#include "EditorTypes.h"

class PIX_IBitmap;
class PIX_MemBitmap;
class PIX_SysBitmap;
class PIX_CachedFont;

namespace editor_drawing {

// Surfaces of the given size; a size the memory cannot hold gives 0 x 0.
std::unique_ptr<PIX_SysBitmap> NewSysBitmap(int width, int height);
std::unique_ptr<PIX_MemBitmap> NewMemBitmap(int width, int height);
int Width(const PIX_IBitmap* bitmap);
int Height(const PIX_IBitmap* bitmap);
// The pixel at (x, y) as alpha << 24 | red << 16 | green << 8 | blue; 0 outside.
uint32_t PixelAt(const PIX_IBitmap* bitmap, int x, int y);

// r is already clipped by the caller; the library clips to the bitmap again.
void Fill(PIX_IBitmap* dest, const Rect& r, const Colour& colour, const BlendSpec& blend);
void RowLine(PIX_IBitmap* dest, int y, int x1, int x2, const Colour& colour);
// Copies the w x h pixels at (sx, sy) of source to (x, y) of dest.
void Blit(PIX_IBitmap* dest, const PIX_IBitmap* source, int x, int y, int sx, int sy, int w, int h,
          const BlendSpec& blend);

// A font for the style (height = size, weight 700 for bold, italic, quality),
// set with the editor's font flags; null when it cannot be made.
std::unique_ptr<PIX_CachedFont> NewFont(const TextStyle& style);
// Draws text with the font's colour (alpha honoured below 255), aligned in r;
// with measure, only sets r's right and bottom extent from its left and top
// (the caller re-aligns). Returns false when nothing could be done.
bool Text(PIX_CachedFont* font, PIX_IBitmap* dest, const char* text, const Colour& colour, int align, Rect& r,
          bool measure);

// Decodes a PNG held in memory; null for anything that is not a sound PNG.
std::unique_ptr<PIX_IBitmap> DecodePng(const unsigned char* data, size_t length);

}  // namespace editor_drawing
