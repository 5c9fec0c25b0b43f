#pragma once
// 32-bit bitmaps of the drawing library.
//
// A pixel is alpha << 24 | red << 16 | green << 8 | blue; in memory the bytes
// run blue, green, red, alpha. Rows are `Span()` pixels apart; a bottom-up
// bitmap stores its last row first, so always reach rows through `PIX_Row`.
//
// Nothing here is thread-safe: a bitmap belongs to one thread at a time
// (the editor's window thread).

#include <cstddef>
#include <cstdint>

// Opaque platform drawing context: a device-context handle on Windows, never
// set elsewhere.
using PIX_DeviceContext = void*;

// left, top, right, bottom; right and bottom exclusive.
struct PIX_Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

inline constexpr uint32_t PIX_Pack(int alpha, int red, int green, int blue) {
  return (uint32_t(alpha & 255) << 24) | (uint32_t(red & 255) << 16) | (uint32_t(green & 255) << 8) |
         uint32_t(blue & 255);
}
inline constexpr int PIX_Alpha(uint32_t p) { return int(p >> 24); }
inline constexpr int PIX_Red(uint32_t p) { return int((p >> 16) & 255); }
inline constexpr int PIX_Green(uint32_t p) { return int((p >> 8) & 255); }
inline constexpr int PIX_Blue(uint32_t p) { return int(p & 255); }

class PIX_IBitmap {
 public:
  virtual ~PIX_IBitmap() = default;
  // First pixel in memory (row 0 for top-down bitmaps); null when empty.
  virtual uint32_t* Pixels() = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Distance between two rows, in pixels (>= Width()).
  virtual int Span() const = 0;
  virtual bool IsBottomUp() const { return false; }
  // Returns whether anything changed. On failure the bitmap is 0 x 0.
  virtual bool Resize(int width, int height) = 0;
  virtual PIX_DeviceContext DeviceContext() const { return nullptr; }
  virtual int Extra() const { return 0; }

  bool IsEmpty() { return Width() <= 0 || Height() <= 0 || Pixels() == nullptr; }
};

// Row y (0 = top row) of a non-empty bitmap, whatever its storage order.
// y must be inside the bitmap.
inline uint32_t* PIX_Row(PIX_IBitmap& bitmap, int y) {
  int row = bitmap.IsBottomUp() ? bitmap.Height() - 1 - y : y;
  return bitmap.Pixels() + std::ptrdiff_t(row) * bitmap.Span();
}

// Bitmap in plain memory. The pixels start on a 64-byte boundary, each row is
// the width rounded up to a multiple of 4 pixels. Growing reserves a quarter
// more than needed; shrinking keeps the block; size 0 frees it. When memory
// runs out the bitmap becomes 0 x 0.
class PIX_MemBitmap : public PIX_IBitmap {
 public:
  PIX_MemBitmap() = default;
  PIX_MemBitmap(int width, int height) { Resize(width, height); }
  ~PIX_MemBitmap() override;
  PIX_MemBitmap(const PIX_MemBitmap&) = delete;
  PIX_MemBitmap& operator=(const PIX_MemBitmap&) = delete;

  uint32_t* Pixels() override { return mPixels; }
  int Width() const override { return mWidth; }
  int Height() const override { return mHeight; }
  int Span() const override { return (mWidth + mRowAlignMask) & ~mRowAlignMask; }
  bool Resize(int width, int height) override;

  // Bytes reserved for pixels (without the alignment slack).
  int AllocatedBytes() const { return mAllocatedBytes; }

 private:
  void Release();

  void* mBlock = nullptr;  // malloc'ed, 63 bytes more than mAllocatedBytes
  uint32_t* mPixels = nullptr;  // mBlock aligned up to 64 bytes
  int mWidth = 0;
  int mHeight = 0;
  int mAllocatedBytes = 0;
  int mRowAlignMask = 3;
};
