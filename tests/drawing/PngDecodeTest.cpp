// PNG decoding of every colour type and depth against the pixel values the
// generator (data/make_pngs.py) wrote, and of damaged or hostile files.
#include <cstring>
#include <string>
#include <vector>

#include "DrawingRig.h"
#include "PIX_Png.h"

namespace {
// The decoded pixels as hex, row by row, or "no bitmap".
std::string Decode(const std::string& name) {
  const std::vector<unsigned char> bytes = rig::ReadFile(rig::DataPath(name));
  if (bytes.empty()) return "missing " + name;
  auto bitmap = PIX_LoadPngFromMemory(bytes.data(), bytes.size());
  if (!bitmap) return "no bitmap";
  std::string out;
  for (int y = 0; y < bitmap->Height(); ++y) {
    for (int x = 0; x < bitmap->Width(); ++x) out += rig::At(*bitmap, x, y) + " ";
    out += "/ ";
  }
  return out;
}
}  // namespace

MODULE_TEST(PngDecode, PaletteImagesWithAndWithoutTransparency) {
  CHECK_EQ(Decode("pal8.png"), "0xFF0A141E 0xFF0000FF 0xFF00FF00 0xFFFF0000 / ");
  // The tRNS chunk covers entries 0 and 1; entry 2 stays opaque.
  CHECK_EQ(Decode("pal4_trns.png"),
           "0x00010203 0x80040506 0xFF070809 / 0xFF070809 0x80040506 0x00010203 / ");
}

MODULE_TEST(PngDecode, GreyAtEveryDepthBecomesOpaqueGreyPixels) {
  CHECK_EQ(Decode("grey1.png"),
           "0xFFFFFFFF 0xFF000000 0xFFFFFFFF 0xFFFFFFFF 0xFF000000 0xFF000000 0xFFFFFFFF 0xFF000000 "
           "0xFFFFFFFF / ");
  CHECK_EQ(Decode("grey2.png"), "0xFF000000 0xFF555555 0xFFAAAAAA 0xFFFFFFFF 0xFF555555 / ");
  CHECK_EQ(Decode("grey4.png"), "0xFF000000 0xFF777777 0xFFFFFFFF / ");
  CHECK_EQ(Decode("grey8.png"), "0xFF000000 0xFF323232 / 0xFFC8C8C8 0xFFFFFFFF / ");
  CHECK_EQ(Decode("grey16.png"), "0xFF121212 0xFFFFFFFF / ");  // 16 bits stripped to the high byte
  CHECK_EQ(Decode("grey8_trns.png"), "0xFF0A0A0A 0x00141414 0xFF1E1E1E / ");
}

MODULE_TEST(PngDecode, GreyWithAlpha) {
  CHECK_EQ(Decode("greyalpha8.png"), "0x00282828 0x64C8C8C8 / ");
  CHECK_EQ(Decode("greyalpha16.png"), "0x80ABABAB / ");
}

MODULE_TEST(PngDecode, ColourImages) {
  CHECK_EQ(Decode("rgb8.png"), "0xFF010203 0xFFFAFBFC / ");
  CHECK_EQ(Decode("rgb16.png"), "0xFF113355 0xFFFF0080 / ");
  CHECK_EQ(Decode("rgb8_trns.png"), "0xFF010203 0x00090909 / ");
  CHECK_EQ(Decode("rgba8.png"), "0x00010203 0x80040506 0xFF070809 / ");
  CHECK_EQ(Decode("rgba16.png"), "0x40102030 / ");
}

MODULE_TEST(PngDecode, InterlacedImagesAreReassembled) {
  const std::vector<unsigned char> bytes = rig::ReadFile(rig::DataPath("interlaced_rgba8.png"));
  auto bitmap = PIX_LoadPngFromMemory(bytes.data(), bytes.size());
  REQUIRE_TRUE(bitmap != nullptr);
  REQUIRE_TRUE(bitmap->Width() == 11 && bitmap->Height() == 7);
  int wrong = 0;
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 11; ++x)
      if (PIX_Row(*bitmap, y)[x] != PIX_Pack(255 - x - y, 20 * x, 30 * y, 10 * (x + y))) ++wrong;
  CHECK_EQ(wrong, 0);
}

MODULE_TEST(PngDecode, SidesAreLimitedTo16384) {
  const std::vector<unsigned char> bytes = rig::ReadFile(rig::DataPath("wide16384.png"));
  auto wide = PIX_LoadPngFromMemory(bytes.data(), bytes.size());
  REQUIRE_TRUE(wide != nullptr);
  CHECK_EQ(wide->Width(), 16384);
  CHECK_EQ(rig::At(*wide, 16383, 0), "0xFF070707");
  CHECK_EQ(Decode("wide16385.png"), "no bitmap");
  CHECK_EQ(Decode("tall16385.png"), "no bitmap");
  // 16384 x 16384 claimed over 69 bytes: refused before the bitmap is made.
  CHECK_EQ(Decode("claims_huge.png"), "no bitmap");
}

MODULE_TEST(PngDecode, DamagedFilesGiveNoBitmap) {
  CHECK_EQ(Decode("corrupt_idat.png"), "no bitmap");
  CHECK_EQ(Decode("short_rows.png"), "no bitmap");
  const std::vector<unsigned char> good = rig::ReadFile(rig::DataPath("rgba8.png"));
  REQUIRE_TRUE(good.size() > 8);
  // Every truncation fails, down to nothing; no read goes past the end.
  int decoded = 0;
  for (size_t length = 0; length < good.size(); ++length) {
    std::vector<unsigned char> cut(good.begin(), good.begin() + long(length));
    if (PIX_LoadPngFromMemory(cut.data(), cut.size())) ++decoded;
  }
  CHECK_EQ(decoded, 0);
  // One damaged byte anywhere: either no bitmap or an image of the stated
  // size (a damaged ancillary byte can be harmless); never anything else.
  int strange = 0;
  for (size_t i = 0; i < good.size(); ++i) {
    std::vector<unsigned char> bad = good;
    bad[i] ^= 0x5A;
    auto bitmap = PIX_LoadPngFromMemory(bad.data(), bad.size());
    if (bitmap && (bitmap->Width() != 3 || bitmap->Height() != 1)) ++strange;
  }
  CHECK_EQ(strange, 0);
  CHECK_TRUE(PIX_LoadPngFromMemory(nullptr, 100) == nullptr);
  const unsigned char signatureOnly[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  CHECK_TRUE(PIX_LoadPngFromMemory(signatureOnly, 7) == nullptr);
  CHECK_TRUE(PIX_LoadPngFromMemory(signatureOnly, 8) == nullptr);
}

MODULE_TEST(PngDecode, DecodingIntoABitmapResizesItOrEmptiesIt) {
  const std::vector<unsigned char> good = rig::ReadFile(rig::DataPath("rgb8.png"));
  PIX_MemBitmap target(100, 100);
  CHECK_TRUE(PIX_DecodePng(good.data(), good.size(), target));
  CHECK_EQ(target.Width(), 2);
  CHECK_EQ(target.Height(), 1);
  CHECK_EQ(rig::At(target, 1, 0), "0xFFFAFBFC");
  std::vector<unsigned char> bad = good;
  bad.resize(bad.size() - 5);
  CHECK_FALSE(PIX_DecodePng(bad.data(), bad.size(), target));
  CHECK_TRUE(target.IsEmpty());
  auto fromFile = PIX_LoadPngFromFile(rig::DataPath("rgba16.png").c_str());
  REQUIRE_TRUE(fromFile != nullptr);
  CHECK_EQ(rig::At(*fromFile, 0, 0), "0x40102030");
  CHECK_TRUE(PIX_LoadPngFromFile(rig::DataPath("no-such-file.png").c_str()) == nullptr);
}
