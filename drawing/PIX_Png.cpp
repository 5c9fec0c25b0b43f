#include "PIX_Png.h"

bool PIX_DecodePng(const void*, size_t, PIX_MemBitmap& into) {
  into.Resize(0, 0);
  return false;
}

std::unique_ptr<PIX_MemBitmap> PIX_LoadPngFromMemory(const void* data, size_t length) {
  auto bitmap = std::make_unique<PIX_MemBitmap>();
  if (!PIX_DecodePng(data, length, *bitmap)) return nullptr;
  return bitmap;
}

std::unique_ptr<PIX_MemBitmap> PIX_LoadPngFromFile(const char*) { return nullptr; }
