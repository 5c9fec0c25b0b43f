#pragma once
// Fonts and UTF-8 text.
//
// A platform font handle (`PIX_FontHandle`) is made from a `PIX_FontSpec`:
// an HFONT on Windows (GDI), a FreeType face found through fontconfig
// elsewhere. `PIX_CachedFont` draws with it: each glyph is rasterised once
// (GDI text output into a shared 256 x 256 bitmap, or FreeType) and its
// coverage kept in the font's glyph store; text is then composed from the
// store in the text colour.
//
// All of it runs on the editor's window thread only; the one exception is the
// instance counter, which is atomic.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "PIX_Bitmap.h"

using PIX_FontHandle = void*;

enum PIX_FontQuality : int {
  PIX_QUALITY_DEFAULT = 0,
  PIX_QUALITY_NONANTIALIASED = 1,
  PIX_QUALITY_ANTIALIASED = 2,
  PIX_QUALITY_CLEARTYPE = 3,
};

struct PIX_FontSpec {
  const char* face = "Verdana";  // a missing face falls back to the system's sans face
  int height = 12;              // character height in pixels
  int width = 0;                // 0: the face's own proportions
  int escapement = 0;           // tenths of a degree
  int orientation = 0;          // tenths of a degree
  int weight = 400;             // 400 normal, 700 bold
  bool italic = false;
  int quality = PIX_QUALITY_DEFAULT;
};

// Null when no font can be made. Delete with PIX_DeleteFontHandle (or give it
// to a PIX_CachedFont with PIX_FONT_OWNS_HANDLE).
PIX_FontHandle PIX_CreateFontHandle(const PIX_FontSpec& spec);
void PIX_DeleteFontHandle(PIX_FontHandle font);

// Flags for PIX_IFont::SetFont.
enum PIX_FontFlags : int {
  PIX_FONT_PRELOAD_ASCII = 0x4,    // render code points 0..127 when the font is set
  PIX_FONT_OWNS_HANDLE = 0x200,    // delete the handle when replaced or destroyed
  PIX_FONT_PREFER_NATIVE = 0x400,  // draw with the platform's text output where it can
  PIX_FONT_EDITOR_FLAGS = 0x600,
};

// Flags for drawing text.
enum PIX_TextFlags : int {
  PIX_TEXT_LEFT = 0,
  PIX_TEXT_CENTRE = 0x1,
  PIX_TEXT_RIGHT = 0x2,
  PIX_TEXT_VCENTRE = 0x4,   // with single line: centred between top and bottom
  PIX_TEXT_BOTTOM = 0x8,    // with single line: on the bottom edge
  PIX_TEXT_SINGLE_LINE = 0x20,
  PIX_TEXT_NO_CLIP = 0x100,
  PIX_TEXT_MEASURE = 0x400,     // set the rect's right and bottom to the extent, draw nothing
  PIX_TEXT_ALPHA = 0x40000000,  // blend with the text colour's alpha
};

// Background modes.
enum PIX_BackMode : int { PIX_BACK_TRANSPARENT = 1, PIX_BACK_OPAQUE = 2 };

class PIX_IFont {
 public:
  virtual ~PIX_IFont() = default;
  virtual bool SetFont(PIX_FontHandle font, int flags) = 0;
  virtual void SetTextColour(uint32_t colour) = 0;
  virtual void SetBackColour(uint32_t colour) = 0;    // 0xFFFFFFFF: none
  virtual void SetEffectColour(uint32_t colour) = 0;  // 0xFFFFFFFF: none; kept, no effect is drawn
  virtual void SetBackMode(int mode) = 0;
  // How glyphs combine with the destination: a PIX_BlendMode and an alpha
  // 0..1 that scales the coverage (copy and 1.0 by default).
  virtual void SetCombine(int mode, float alpha) = 0;
  // Draws (or with PIX_TEXT_MEASURE measures) UTF-8 text of `length` bytes,
  // or up to its terminating zero when length < 0. Returns the text height.
  virtual int DrawUtf8(PIX_IBitmap* dst, const char* text, int length, PIX_Rect* rect, int flags) = 0;
  virtual uint32_t TextColour() const = 0;
  virtual PIX_FontHandle FontHandle() const = 0;
  virtual int LineHeight() const = 0;
};

class PIX_CachedFont : public PIX_IFont {
 public:
  PIX_CachedFont();
  ~PIX_CachedFont() override;
  PIX_CachedFont(const PIX_CachedFont&) = delete;
  PIX_CachedFont& operator=(const PIX_CachedFont&) = delete;

  bool SetFont(PIX_FontHandle font, int flags) override;
  void SetTextColour(uint32_t colour) override { mTextColour = colour; }
  void SetBackColour(uint32_t colour) override { mBackColour = colour; }
  void SetEffectColour(uint32_t colour) override { mEffectColour = colour; }
  void SetBackMode(int mode) override { mBackMode = mode; }
  void SetCombine(int mode, float alpha) override;
  int DrawUtf8(PIX_IBitmap* dst, const char* text, int length, PIX_Rect* rect, int flags) override;
  uint32_t TextColour() const override { return mTextColour; }
  PIX_FontHandle FontHandle() const override { return mFont; }
  int LineHeight() const override { return mLineHeight; }

  // How many PIX_CachedFont objects this process has created. [any thread]
  static int InstancesCreated();
  // Glyphs rendered into this font's store so far.
  int CachedGlyphCount() const { return int(mGlyphs.size()); }
  // The store stops growing at this many glyphs; rarer ones are then
  // rendered each time they are drawn.
  static constexpr int kMaxCachedGlyphs = 4096;

  // One rendered glyph: its coverage box relative to the pen position at the
  // top of the line, and the pen advance.
  struct Glyph {
    uint32_t codePoint = 0;
    int storeOffset = 0;  // first coverage byte in the store
    int left = 0, top = 0, width = 0, height = 0;
    int advance = 0;
  };

 private:
  const Glyph* Find(uint32_t codePoint, const uint8_t** coverage);
  void Clear();
  bool UseNative(PIX_IBitmap* dst, int flags) const;
  void Composite(PIX_IBitmap& dst, const Glyph& glyph, const uint8_t* coverage, int64_t penX, int64_t penY,
                 const PIX_Rect& clip, uint32_t colour, int alpha) const;

  uint32_t mTextColour = 0;
  uint32_t mBackColour = 0xFFFFFFFF;
  uint32_t mEffectColour = 0xFFFFFFFF;
  int mBackMode = PIX_BACK_TRANSPARENT;
  int mCombineMode = 0;
  float mCombineAlpha = 1.0f;
  int mFlags = 0;
  int mLineHeight = 0;
  int mDirect[256];              // glyph index of code points 0..255, -1 when not rendered
  std::vector<Glyph> mGlyphs;    // every rendered glyph, in rendering order
  std::vector<uint8_t> mStore;   // coverage bytes, 0..255, row by row per glyph
  std::unordered_map<uint32_t, int> mOthers;  // glyph index of code points from 256 on
  Glyph mSpare;                    // a glyph rendered while the store is full
  std::vector<uint8_t> mSpareCoverage;
  std::vector<uint32_t> mCodePoints;  // the decoded text of the current call
  PIX_FontHandle mFont = nullptr;
};

// Free form of PIX_IFont::DrawUtf8 that tolerates a null font or bitmap.
int PIX_DrawText(PIX_IFont* font, PIX_IBitmap* dst, const char* text, int length, PIX_Rect* rect, int flags);
