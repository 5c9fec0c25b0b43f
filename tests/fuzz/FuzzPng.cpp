// The drawing library's PNG decoder alone, on the bytes as they come: both
// entry points must agree, a decoded bitmap is non-empty and within the side
// limit (every pixel readable), and a failed decode leaves no bitmap.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "PIX_Png.h"

namespace {
void Require(bool ok, const char* what, int a = 0, int b = 0) {
  if (ok) return;
  std::fprintf(stderr, "fuzz invariant broken: %s (%d, %d)\n", what, a, b);
  std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PIX_MemBitmap into;
  const bool decoded = PIX_DecodePng(data, size, into);
  const int w = into.Width(), h = into.Height();
  if (!decoded) {
    Require(w == 0 && h == 0, "failed decode left a bitmap", w, h);
  } else {
    Require(w > 0 && h > 0 && w <= PIX_PNG_MAX_SIDE && h <= PIX_PNG_MAX_SIDE, "decoded size out of bounds", w, h);
    Require(into.Pixels() != nullptr && into.Span() >= w, "decoded bitmap has no pixels", w, h);
    // Touch the first and the last pixel: the buffer must hold every row.
    volatile uint32_t corner = 0;
    const uint32_t* pixels = into.Pixels();
    corner = pixels[0];
    corner = pixels[static_cast<size_t>(h - 1) * static_cast<size_t>(into.Span()) + static_cast<size_t>(w - 1)];
    (void)corner;
  }

  const std::unique_ptr<PIX_MemBitmap> loaded = PIX_LoadPngFromMemory(data, size);
  Require(static_cast<bool>(loaded) == decoded, "the two entry points disagree", decoded, loaded != nullptr);
  if (loaded) Require(loaded->Width() == w && loaded->Height() == h, "the two decodes differ in size", w, h);
  return 0;
}
