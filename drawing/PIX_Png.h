#pragma once
// PNG images decoded through libpng into 32-bit bitmaps.
//
// Every colour type and depth is expanded to 8-bit red, green, blue and alpha
// (palette and grey to RGB, tRNS to alpha, 16-bit stripped, alpha 255 where
// the image has none). Bytes are untrusted: a truncated, corrupt or hostile
// file, or one larger than PIX_PNG_MAX_SIDE on a side, gives no bitmap.

#include <cstddef>
#include <memory>

#include "PIX_Bitmap.h"

inline constexpr int PIX_PNG_MAX_SIDE = 16384;

// Decodes into `into` (resized to the image size). On failure returns false
// and leaves `into` empty (0 x 0).
bool PIX_DecodePng(const void* data, size_t length, PIX_MemBitmap& into);

// Null on failure.
std::unique_ptr<PIX_MemBitmap> PIX_LoadPngFromMemory(const void* data, size_t length);
std::unique_ptr<PIX_MemBitmap> PIX_LoadPngFromFile(const char* path);
