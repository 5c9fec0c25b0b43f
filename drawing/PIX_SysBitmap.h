#pragma once
// Bitmap that a platform can draw on and copy to a window.
//
// On Windows it is a top-down 32-bit DIB section selected into a memory
// device context created with the bitmap, so GDI text output and BitBlt work
// on it directly. Elsewhere it is the same interface over plain memory with
// no device context. Rows are the width rounded up to 4 pixels. A resize that
// fits into the allocated section only changes width and height; width or
// height 0 releases the section.

#include "PIX_Bitmap.h"

class PIX_SysBitmap : public PIX_IBitmap {
 public:
  PIX_SysBitmap();
  PIX_SysBitmap(int width, int height);
  ~PIX_SysBitmap() override;
  PIX_SysBitmap(const PIX_SysBitmap&) = delete;
  PIX_SysBitmap& operator=(const PIX_SysBitmap&) = delete;

  uint32_t* Pixels() override { return mPixels; }
  int Width() const override { return mWidth; }
  int Height() const override { return mHeight; }
  int Span() const override { return mAllocWidth; }
  bool Resize(int width, int height) override;
  PIX_DeviceContext DeviceContext() const override { return mDC; }

 private:
  void ReleaseSection();
  bool CreateSection(int allocWidth, int height);

  int mWidth = 0;
  int mHeight = 0;
  PIX_DeviceContext mDC = nullptr;
  uint32_t* mPixels = nullptr;
  int mAllocWidth = 0;
  int mAllocHeight = 0;
  void* mSection = nullptr;   // HBITMAP on Windows; the pixel block elsewhere
  void* mPrevious = nullptr;  // the handle the context held before the section
};
