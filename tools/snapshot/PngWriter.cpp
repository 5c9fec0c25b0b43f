#include "PngWriter.h"

#include <png.h>

#include <cstdio>
#include <vector>

#include "PIX_Bitmap.h"

bool WritePngFile(const char* path, PIX_IBitmap& bitmap) {
  if (bitmap.IsEmpty()) return false;
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  const int w = bitmap.Width();
  const int h = bitmap.Height();
  std::vector<png_byte> row(static_cast<size_t>(w) * 4);
  if (info && !setjmp(png_jmpbuf(png))) {
    png_init_io(png, file);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) {
      const uint32_t* p = PIX_Row(bitmap, y);
      for (int x = 0; x < w; ++x) {
        row[x * 4 + 0] = static_cast<png_byte>(PIX_Red(p[x]));
        row[x * 4 + 1] = static_cast<png_byte>(PIX_Green(p[x]));
        row[x * 4 + 2] = static_cast<png_byte>(PIX_Blue(p[x]));
        row[x * 4 + 3] = static_cast<png_byte>(PIX_Alpha(p[x]));
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  std::fclose(file);
  return ok;
}
