// The system bitmap where the platform has no device context to offer: the
// same allocation rules over plain memory.
#include <cstdint>
#include <cstdlib>

#include "PIX_SysBitmap.h"

PIX_SysBitmap::PIX_SysBitmap() = default;

PIX_SysBitmap::PIX_SysBitmap(int width, int height) { Resize(width, height); }

PIX_SysBitmap::~PIX_SysBitmap() { ReleaseSection(); }

void PIX_SysBitmap::ReleaseSection() {
  std::free(mSection);
  mSection = nullptr;
  mPixels = nullptr;
  mAllocWidth = 0;
  mAllocHeight = 0;
}

bool PIX_SysBitmap::CreateSection(int allocWidth, int height) {
  const int64_t bytes = int64_t(allocWidth) * height * 4;
  if (bytes > int64_t(0x7FFFFFFF)) return false;
  mSection = std::malloc(size_t(bytes));
  if (mSection == nullptr) return false;
  mPixels = static_cast<uint32_t*>(mSection);
  mAllocWidth = allocWidth;
  mAllocHeight = height;
  return true;
}

bool PIX_SysBitmap::Resize(int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == mWidth && height == mHeight) return false;
  if (width == 0 || height == 0) {
    ReleaseSection();
    mWidth = mHeight = 0;
    return true;
  }
  const int64_t span = (int64_t(width) + 3) & ~int64_t(3);
  if (span > int64_t(0x7FFFFFFF) / 4 / height) {  // more bytes than an int counts
    ReleaseSection();
    mWidth = mHeight = 0;
    return true;
  }
  const int allocWidth = int(span);
  // A smaller bitmap keeps its row span, so it fits only when the width is
  // inside the rows already allocated.
  if (!(mPixels != nullptr && allocWidth <= mAllocWidth && height <= mAllocHeight)) {
    ReleaseSection();
    if (!CreateSection(allocWidth, height)) {
      mWidth = mHeight = 0;
      return true;
    }
  }
  mWidth = width;
  mHeight = height;
  return true;
}
