// Resizing rules shared by every platform's system bitmap; the section
// itself is made and released by the platform's file.
#include <cstdint>

#include "PIX_SysBitmap.h"

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
