// The system bitmap on Windows: a top-down 32-bit DIB section selected into
// a memory device context, so GDI draws on the same pixels the library does.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>

#include "PIX_SysBitmap.h"

PIX_SysBitmap::PIX_SysBitmap() { mDC = CreateCompatibleDC(nullptr); }

PIX_SysBitmap::PIX_SysBitmap(int width, int height) : PIX_SysBitmap() { Resize(width, height); }

PIX_SysBitmap::~PIX_SysBitmap() {
  ReleaseSection();
  if (mDC != nullptr) DeleteDC(static_cast<HDC>(mDC));
}

void PIX_SysBitmap::ReleaseSection() {
  if (mSection != nullptr) {
    SelectObject(static_cast<HDC>(mDC), static_cast<HGDIOBJ>(mPrevious));
    DeleteObject(static_cast<HGDIOBJ>(mSection));
  }
  mSection = nullptr;
  mPrevious = nullptr;
  mPixels = nullptr;
  mAllocWidth = 0;
  mAllocHeight = 0;
}

bool PIX_SysBitmap::CreateSection(int allocWidth, int height) {
  if (mDC == nullptr) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = allocWidth;
  info.bmiHeader.biHeight = -height;  // negative: rows run top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(static_cast<HDC>(mDC), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section == nullptr || bits == nullptr) {
    if (section != nullptr) DeleteObject(section);
    return false;
  }
  mPrevious = SelectObject(static_cast<HDC>(mDC), section);
  mSection = section;
  mPixels = static_cast<uint32_t*>(bits);
  mAllocWidth = allocWidth;
  mAllocHeight = height;
  return true;
}
