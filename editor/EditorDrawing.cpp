#include "EditorDrawing.h"

#include "PIX_Bitmap.h"
#include "PIX_Draw.h"
#include "PIX_Font.h"
#include "PIX_Png.h"
#include "PIX_SysBitmap.h"

namespace editor_drawing {
namespace {
// Every method but plain copy weighs each source pixel (or the fill colour) by its alpha.
int ModeFor(const BlendSpec& blend) {
  switch (blend.method) {
    case kBlendCopy:
      return PIX_COPY;
    case kBlendAdd:
      return PIX_ADD | PIX_SOURCE_ALPHA;
    case kBlendColorDodge:
      return PIX_DODGE | PIX_SOURCE_ALPHA;
    default:
      return PIX_COPY | PIX_SOURCE_ALPHA;
  }
}

int AlignFlags(int align) {
  return align == kAlignCentre ? PIX_TEXT_CENTRE : align == kAlignRight ? PIX_TEXT_RIGHT : PIX_TEXT_LEFT;
}
}  // namespace

std::unique_ptr<PIX_SysBitmap> NewSysBitmap(int width, int height) {
  return std::make_unique<PIX_SysBitmap>(width, height);
}

std::unique_ptr<PIX_MemBitmap> NewMemBitmap(int width, int height) {
  return std::make_unique<PIX_MemBitmap>(width, height);
}

int Width(const PIX_IBitmap* bitmap) { return bitmap ? bitmap->Width() : 0; }
int Height(const PIX_IBitmap* bitmap) { return bitmap ? bitmap->Height() : 0; }

uint32_t PixelAt(const PIX_IBitmap* bitmap, int x, int y) {
  auto* b = const_cast<PIX_IBitmap*>(bitmap);
  if (!b || b->IsEmpty() || x < 0 || y < 0 || x >= b->Width() || y >= b->Height()) return 0;
  return PIX_Row(*b, y)[x];
}

void Fill(PIX_IBitmap* dest, const Rect& r, const Colour& colour, const BlendSpec& blend) {
  if (!dest || r.CoversNothing()) return;
  PIX_Fill(dest, r.left, r.top, r.W(), r.H(), colour.Packed(), blend.weight, ModeFor(blend));
}

void RowLine(PIX_IBitmap* dest, int y, int x1, int x2, const Colour& colour) {
  if (!dest) return;
  PIX_Line(dest, x1, y, x2, y, colour.Packed(), 1.0f, PIX_COPY, false);
}

void Blit(PIX_IBitmap* dest, const PIX_IBitmap* source, int x, int y, int sx, int sy, int w, int h,
          const BlendSpec& blend) {
  if (!dest || !source || w <= 0 || h <= 0) return;
  const PIX_Rect from{sx, sy, sx + w, sy + h};
  PIX_Blit(dest, const_cast<PIX_IBitmap*>(source), x, y, &from, blend.weight, ModeFor(blend));
}

std::unique_ptr<PIX_CachedFont> NewFont(const TextStyle& style) {
  PIX_FontSpec spec;
  spec.face = style.fontName;
  spec.height = style.size;
  spec.width = 0;
  spec.escapement = spec.orientation = style.orientation * 10;
  spec.weight = style.style == kStyleBold ? 700 : 400;
  spec.italic = style.style == kStyleItalic;
  spec.quality = style.quality;
  PIX_FontHandle handle = PIX_CreateFontHandle(spec);
  if (!handle) return nullptr;
  auto font = std::make_unique<PIX_CachedFont>();
  // The editor's flags include ownership: the font deletes the handle.
  if (!font->SetFont(handle, PIX_FONT_EDITOR_FLAGS)) return nullptr;
  return font;
}

bool Text(PIX_CachedFont* font, PIX_IBitmap* dest, const char* text, const Colour& colour, int align, Rect& r,
          bool measure) {
  if (!font || !text || !text[0]) return false;
  font->SetTextColour(colour.Packed());
  int flags = AlignFlags(align) | PIX_TEXT_NO_CLIP;
  if (colour.alpha != 255) flags |= PIX_TEXT_ALPHA;
  if (measure) flags |= PIX_TEXT_MEASURE;
  PIX_Rect rect{r.left, r.top, r.right, r.bottom};
  if (!measure && !dest) return false;
  PIX_DrawText(font, dest, text, -1, &rect, flags);
  if (measure) {
    r.right = rect.right;
    r.bottom = rect.bottom;
  }
  return true;
}

std::unique_ptr<PIX_IBitmap> DecodePng(const unsigned char* data, size_t length) {
  return PIX_LoadPngFromMemory(data, length);
}

}  // namespace editor_drawing
