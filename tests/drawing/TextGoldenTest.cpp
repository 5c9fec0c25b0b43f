// Text rendered through FreeType compared pixel by pixel with images kept in
// golden/. Linux only: other rasterisers draw other pixels. Set
// VELTO_REGENERATE_GOLDENS=1 to rewrite the images after a deliberate change
// (and look at them before committing).
#include <png.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "DrawingRig.h"
#include "PIX_Draw.h"
#include "PIX_Font.h"
#include "PIX_Png.h"

namespace {

bool SavePng(PIX_IBitmap& b, const std::string& path) {
  std::vector<unsigned char> rgba;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const uint32_t p = PIX_Row(b, y)[x];
      rgba.insert(rgba.end(), {(unsigned char)PIX_Red(p), (unsigned char)PIX_Green(p),
                               (unsigned char)PIX_Blue(p), (unsigned char)PIX_Alpha(p)});
    }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(b.Width());
  image.height = png_uint_32(b.Height());
  image.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
}

void CompareWithGolden(PIX_MemBitmap& rendered, const char* name) {
  const std::string path = std::string(VELTO_DRAWING_GOLDEN_DIR) + "/" + name;
  const char* regenerate = std::getenv("VELTO_REGENERATE_GOLDENS");
  if (regenerate != nullptr && std::string(regenerate) == "1") {
    CHECK_TRUE(SavePng(rendered, path));
    return;
  }
  auto golden = PIX_LoadPngFromFile(path.c_str());
  REQUIRE_TRUE(golden != nullptr);
  CHECK_EQ(golden->Width(), rendered.Width());
  CHECK_EQ(golden->Height(), rendered.Height());
  CHECK_EQ(rig::FirstDifference(rig::Visible(*golden), rig::Visible(rendered)), -1L);
}

void Line(PIX_IFont& font, PIX_MemBitmap& b, const char* text, int top, int flags, uint32_t colour) {
  PIX_Rect r{4, top, b.Width() - 4, top + 18};
  font.SetTextColour(colour);
  font.DrawUtf8(&b, text, -1, &r, flags | PIX_TEXT_NO_CLIP);
}

}  // namespace

MODULE_TEST(TextGolden, EditorStylesOnAPanel) {
  const int flags = PIX_FONT_EDITOR_FLAGS;
  auto regular = rig::MakeFont("Ubuntu", 12, flags, PIX_QUALITY_DEFAULT, 400);
  auto bold = rig::MakeFont("Verdana", 12, flags, PIX_QUALITY_DEFAULT, 700);
  auto mono = rig::MakeFont("Verdana", 13, flags, PIX_QUALITY_NONANTIALIASED, 400);
  auto large = rig::MakeFont("NoSuchFaceAnywhere", 20, flags, PIX_QUALITY_ANTIALIASED, 400);
  REQUIRE_TRUE(regular && bold && mono && large);
  PIX_MemBitmap b(140, 96);
  PIX_Fill(&b, 0, 0, 140, 96, 0xFF303840, 1.0f, PIX_COPY);
  Line(*regular, b, "Drive 4.5 dB", 2, PIX_TEXT_CENTRE, 0xFFFFFFFF);
  Line(*bold, b, "LOW -12.0", 20, PIX_TEXT_LEFT, 0xFFF0C040);
  Line(*mono, b, "Mix 80 %", 38, PIX_TEXT_RIGHT, 0xFF80FF80);
  Line(*large, b, "\xC2\xB5 \xE2\x82\xAC \xC3\xBC", 56, PIX_TEXT_CENTRE, 0xFFFFFFFF);
  Line(*regular, b, "half", 78, PIX_TEXT_LEFT | PIX_TEXT_ALPHA, 0x80FFFFFF);
  CompareWithGolden(b, "text_styles.png");
}
