// Fonts for platforms without GDI: fontconfig finds the face file, FreeType
// renders each glyph's coverage. Every font handle has its own FreeType
// library object, so handles share no state.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include <fontconfig/fontconfig.h>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "GlyphSource.h"

namespace {

struct FreeTypeFont {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int lineHeight = 0;
  int ascent = 0;
  bool mono = false;
  bool embolden = false;
  bool oblique = false;
};

// The face file fontconfig picks for the requested font. A family that is not
// installed falls back to the configured default sans face.
// fontconfig keeps its configuration for the life of the library. In a host
// that loads nothing else using it, unloading this module would unload
// libfontconfig too and orphan that configuration on every load; pinning the
// library keeps it loaded, so the configuration is built once per process.
void PinFontconfig() {
  static const bool pinned = [] {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&FcInit), &info) || !info.dli_fname) return false;
    return dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr;
  }();
  (void)pinned;
}

bool MatchFace(const PIX_FontSpec& spec, std::string& file, int& index, bool& isBold, bool& isItalic) {
  PinFontconfig();
  if (!FcInit()) return false;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return false;
  const char* family = spec.face != nullptr && spec.face[0] != '\0' ? spec.face : "sans-serif";
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, spec.weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, spec.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  FcChar8* path = nullptr;
  bool ok = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr;
  if (ok) {
    file = reinterpret_cast<const char*>(path);
    int faceIndex = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match, FC_INDEX, 0, &faceIndex);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    index = faceIndex;
    isBold = weight >= FC_WEIGHT_DEMIBOLD;
    isItalic = slant != FC_SLANT_ROMAN;
  }
  FcPatternDestroy(match);
  return ok;
}

int Round26_6(FT_Pos v) { return int((v + 32) >> 6); }

}  // namespace

PIX_FontHandle PIX_CreateFontHandle(const PIX_FontSpec& spec) {
  if (spec.height == 0) return nullptr;
  std::string file;
  int index = 0;
  bool isBold = false, isItalic = false;
  if (!MatchFace(spec, file, index, isBold, isItalic)) return nullptr;
  auto* font = new FreeTypeFont;
  if (FT_Init_FreeType(&font->library) != 0) {
    delete font;
    return nullptr;
  }
  // The height is the cell height (ascent plus descent), as a positive
  // height asks of a GDI font; a negative one is the em size.
  const int height = std::min(std::abs(spec.height), 2048);
  FT_Size_RequestRec request{};
  request.type = spec.height > 0 ? FT_SIZE_REQUEST_TYPE_REAL_DIM : FT_SIZE_REQUEST_TYPE_NOMINAL;
  request.height = FT_Long(height) * 64;
  request.width = FT_Long(std::min(std::abs(spec.width), 2048)) * 64;
  if (FT_New_Face(font->library, file.c_str(), index, &font->face) != 0 ||
      FT_Request_Size(font->face, &request) != 0) {
    PIX_DeleteFontHandle(font);
    return nullptr;
  }
  const FT_Size_Metrics& metrics = font->face->size->metrics;
  font->ascent = Round26_6(metrics.ascender);
  font->lineHeight = std::max(1, font->ascent - Round26_6(metrics.descender));
  font->mono = spec.quality == PIX_QUALITY_NONANTIALIASED;
  font->embolden = spec.weight >= 600 && !isBold;
  font->oblique = spec.italic && !isItalic;
  return font;
}

void PIX_DeleteFontHandle(PIX_FontHandle handle) {
  auto* font = static_cast<FreeTypeFont*>(handle);
  if (font == nullptr) return;
  if (font->face != nullptr) FT_Done_Face(font->face);
  if (font->library != nullptr) FT_Done_FreeType(font->library);
  delete font;
}

namespace pix {

int FontLineHeight(PIX_FontHandle handle) {
  auto* font = static_cast<FreeTypeFont*>(handle);
  return font != nullptr ? font->lineHeight : 0;
}

bool RenderGlyph(PIX_FontHandle handle, uint32_t codePoint, GlyphImage& out) {
  auto* font = static_cast<FreeTypeFont*>(handle);
  if (font == nullptr) return false;
  FT_Face face = font->face;
  const FT_Int32 load = font->mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
  if (FT_Load_Char(face, FT_ULong(codePoint), load) != 0) return false;
  if (font->embolden) FT_GlyphSlot_Embolden(face->glyph);
  if (font->oblique) FT_GlyphSlot_Oblique(face->glyph);
  if (FT_Render_Glyph(face->glyph, font->mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return false;
  const FT_Bitmap& bitmap = face->glyph->bitmap;
  out.left = face->glyph->bitmap_left;
  out.top = font->ascent - face->glyph->bitmap_top;
  out.width = int(bitmap.width);
  out.height = int(bitmap.rows);
  out.advance = Round26_6(face->glyph->advance.x);
  out.coverage.assign(size_t(out.width) * size_t(out.height), 0);
  for (int y = 0; y < out.height; ++y) {
    const unsigned char* src = bitmap.buffer + std::ptrdiff_t(y) * bitmap.pitch;
    uint8_t* dst = out.coverage.data() + size_t(y) * size_t(out.width);
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
      for (int x = 0; x < out.width; ++x) dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
      std::copy(src, src + out.width, dst);
    } else {
      return false;
    }
  }
  return true;
}

// No text output of its own here: the cached glyphs are the only path.
bool DrawNative(PIX_FontHandle, PIX_IBitmap*, const NativeText&, PIX_Rect*, int, int*) { return false; }

}  // namespace pix
