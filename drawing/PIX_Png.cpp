// PNG decoding from memory through libpng.
#include "PIX_Png.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct MemoryReader {
  const png_byte* data;
  size_t length;
  size_t position;
};

// libpng asks for bytes; a request past the end is an error (the stream is
// truncated), reported through libpng's error path.
void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  const size_t left = reader->length - reader->position;
  if (count > left) {
    std::memset(out, 0, count);
    png_error(png, "truncated data");
  }
  std::memcpy(out, reader->data + reader->position, count);
  reader->position += count;
}

// Errors unwind to the setjmp in Decode; warnings are of no interest.
void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// Everything that touches libpng after the setjmp lives in this function,
// which owns no C++ object, so the error jump skips no destructor.
bool Decode(png_structp png, png_infop info, size_t length, PIX_MemBitmap& into) {
  if (setjmp(png_jmpbuf(png))) return false;

  png_set_user_limits(png, PIX_PNG_MAX_SIDE, PIX_PNG_MAX_SIDE);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (width == 0 || height == 0 || width > png_uint_32(PIX_PNG_MAX_SIDE) || height > png_uint_32(PIX_PNG_MAX_SIDE))
    return false;
  // Deflate packs at most 1032 bytes into one, so data too short to hold the
  // image rows is truncated or hostile: refused before the bitmap is made.
  const double rawBytes = double(height) * double(png_get_rowbytes(png, info));
  if (rawBytes > double(length) * 1032.0) return false;

  const int colourType = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (transparency) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_strip_16(png);
  if (depth < 8) png_set_packing(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  if (!(colourType & PNG_COLOR_MASK_ALPHA) && !transparency) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != png_size_t(width) * 4) return false;

  // 16384 x 16384 x 4 bytes stays inside an int; the bitmap checks again.
  into.Resize(int(width), int(height));
  if (into.Width() != int(width) || into.Height() != int(height) || into.Pixels() == nullptr) return false;

  for (int pass = 0; pass < passes; ++pass)
    for (png_uint_32 y = 0; y < height; ++y)
      png_read_row(png, reinterpret_cast<png_bytep>(PIX_Row(into, int(y))), nullptr);
  png_read_end(png, nullptr);

  // Rows hold red, green, blue, alpha bytes; make them pixel values.
  for (png_uint_32 y = 0; y < height; ++y) {
    uint32_t* row = PIX_Row(into, int(y));
    const auto* bytes = reinterpret_cast<const png_byte*>(row);
    for (png_uint_32 x = 0; x < width; ++x) {
      const png_byte* p = bytes + 4 * x;
      row[x] = PIX_Pack(p[3], p[0], p[1], p[2]);
    }
  }
  return true;
}

}  // namespace

bool PIX_DecodePng(const void* data, size_t length, PIX_MemBitmap& into) {
  const auto* bytes = static_cast<const png_byte*>(data);
  if (bytes == nullptr || length <= 7 || png_sig_cmp(bytes, 0, 8) != 0) {
    into.Resize(0, 0);
    return false;
  }
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (png == nullptr) {
    into.Resize(0, 0);
    return false;
  }
  png_infop info = png_create_info_struct(png);
  MemoryReader reader{bytes, length, 0};
  bool ok = false;
  if (info != nullptr) {
    png_set_read_fn(png, &reader, ReadFromMemory);
    ok = Decode(png, info, length, into);
  }
  png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
  if (!ok) into.Resize(0, 0);
  return ok;
}

std::unique_ptr<PIX_MemBitmap> PIX_LoadPngFromMemory(const void* data, size_t length) {
  auto bitmap = std::make_unique<PIX_MemBitmap>();
  if (!PIX_DecodePng(data, length, *bitmap)) return nullptr;
  return bitmap;
}

std::unique_ptr<PIX_MemBitmap> PIX_LoadPngFromFile(const char* path) {
  if (path == nullptr) return nullptr;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return nullptr;
  // Images of the maximum size compress to far less than this.
  constexpr size_t kMaxFileBytes = size_t(1) << 28;
  std::vector<unsigned char> bytes;
  unsigned char chunk[65536];
  size_t got = 0;
  bool tooLarge = false;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    if (bytes.size() + got > kMaxFileBytes) {
      tooLarge = true;
      break;
    }
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  std::fclose(file);
  if (tooLarge) return nullptr;
  return PIX_LoadPngFromMemory(bytes.data(), bytes.size());
}
