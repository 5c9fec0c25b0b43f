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
