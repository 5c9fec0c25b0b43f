#include <cstdint>
#include <cstdlib>
#include <limits>

#include "PIX_Bitmap.h"

namespace {
constexpr size_t kAlignSlack = 63;

uint32_t* AlignedPixels(void* block) {
  uintptr_t address = (reinterpret_cast<uintptr_t>(block) + kAlignSlack) & ~uintptr_t(kAlignSlack);
  return reinterpret_cast<uint32_t*>(address);
}
}  // namespace

PIX_MemBitmap::~PIX_MemBitmap() { Release(); }

void PIX_MemBitmap::Release() {
  std::free(mBlock);
  mBlock = nullptr;
  mPixels = nullptr;
  mAllocatedBytes = 0;
  mWidth = 0;
  mHeight = 0;
}

bool PIX_MemBitmap::Resize(int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == mWidth && height == mHeight && (mPixels != nullptr || width == 0 || height == 0)) return false;
  if (width == 0 || height == 0) {
    Release();
    return true;
  }
  // Sizes whose byte count does not fit an int (with the growth reserve and
  // the slack) cannot be allocated: treated like running out of memory.
  const int64_t span = (int64_t(width) + mRowAlignMask) & ~int64_t(mRowAlignMask);
  const int64_t limit = int64_t(std::numeric_limits<int>::max()) - 1024;
  if (span > limit / 4 / height) {
    Release();
    return true;
  }
  const int64_t needed = span * height * 4;
  if (needed > mAllocatedBytes) {
    void* block = nullptr;
    int64_t bytes = needed;
    if (mBlock == nullptr) {
      block = std::malloc(size_t(needed) + kAlignSlack);
    } else {
      int64_t grown = needed + needed / 4;
      if (grown > limit) grown = needed;
      // The old pixels are redrawn by the caller, so a fresh block would do;
      // realloc keeps the heap from fragmenting when it can grow in place.
      block = std::realloc(mBlock, size_t(grown) + kAlignSlack);
      if (block != nullptr) {
        mBlock = nullptr;
        bytes = grown;
      } else {
        std::free(mBlock);
        mBlock = nullptr;
        block = std::malloc(size_t(needed) + kAlignSlack);
      }
    }
    if (block == nullptr) {
      Release();
      return true;
    }
    mBlock = block;
    mPixels = AlignedPixels(block);
    mAllocatedBytes = int(bytes);
  }
  mWidth = width;
  mHeight = height;
  return true;
}
