#pragma once
// Helpers of the drawing tests: small canvases with known pixels, hex
// formatting for readable failures, and the test data files.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ModuleCheck.h"
#include "PIX_Bitmap.h"
#include "PIX_Font.h"

namespace rig {

inline std::string Hex(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", unsigned(v));
  return text;
}

// Pixel (x, y) of a bitmap, as hex.
inline std::string At(PIX_IBitmap& b, int x, int y) { return Hex(PIX_Row(b, y)[x]); }

inline void FillAll(PIX_IBitmap& b, uint32_t value) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Span(); ++x) PIX_Row(b, y)[x] = value;
}

// Rows of the bitmap (the padding of each row included) as one list.
inline std::vector<uint32_t> Snapshot(PIX_IBitmap& b) {
  std::vector<uint32_t> all;
  for (int y = 0; y < b.Height(); ++y) all.insert(all.end(), PIX_Row(b, y), PIX_Row(b, y) + b.Span());
  return all;
}

// The visible pixels only.
inline std::vector<uint32_t> Visible(PIX_IBitmap& b) {
  std::vector<uint32_t> all;
  for (int y = 0; y < b.Height(); ++y) all.insert(all.end(), PIX_Row(b, y), PIX_Row(b, y) + b.Width());
  return all;
}

// Index of the first differing value, or -1.
inline long FirstDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return 0;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return long(i);
  return -1;
}

inline std::vector<unsigned char> ReadFile(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    unsigned char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(f);
  }
  return bytes;
}

inline std::string DataPath(const std::string& name) { return std::string(VELTO_DRAWING_TEST_DATA) + "/" + name; }

// A cached font over a new platform font it owns; null when none can be made.
inline std::unique_ptr<PIX_CachedFont> MakeFont(const char* face, int height, int flags = PIX_FONT_EDITOR_FLAGS,
                                                int quality = PIX_QUALITY_DEFAULT, int weight = 400) {
  PIX_FontSpec spec;
  spec.face = face;
  spec.height = height;
  spec.quality = quality;
  spec.weight = weight;
  auto font = std::make_unique<PIX_CachedFont>();
  if (!font->SetFont(PIX_CreateFontHandle(spec), flags | PIX_FONT_OWNS_HANDLE)) return nullptr;
  return font;
}

// A bitmap stored bottom-up over plain memory, as some platforms keep them.
class BottomUpBitmap : public PIX_IBitmap {
 public:
  BottomUpBitmap(int w, int h) : mWidth(w), mHeight(h), mPixels(size_t(w) * size_t(h)) {}
  uint32_t* Pixels() override { return mPixels.empty() ? nullptr : mPixels.data(); }
  int Width() const override { return mWidth; }
  int Height() const override { return mHeight; }
  int Span() const override { return mWidth; }
  bool IsBottomUp() const override { return true; }
  bool Resize(int, int) override { return false; }
  // Storage row r holds image row height - 1 - r.
  uint32_t Stored(int x, int storageRow) { return mPixels[size_t(storageRow) * size_t(mWidth) + size_t(x)]; }

 private:
  int mWidth, mHeight;
  std::vector<uint32_t> mPixels;
};

}  // namespace rig
