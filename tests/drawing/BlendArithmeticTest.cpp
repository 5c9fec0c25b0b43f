// Pixel-exact results of fills and blits. The expected values are worked
// out by hand from the integer formulas (C division truncating toward zero),
// so every build (Linux, 32- and 64-bit Windows) must produce these bytes.
#include <cmath>
#include <limits>

#include "DrawingRig.h"
#include "PIX_Draw.h"

using rig::At;

namespace {
constexpr uint32_t kDst = 0xFF204060;     // alpha FF, red 20, green 40, blue 60
constexpr uint32_t kColour = 0x80FF0010;  // alpha 80, red FF, green 00, blue 10

std::string FillOne(uint32_t dst, uint32_t colour, float weight, int mode) {
  PIX_MemBitmap b(1, 1);
  PIX_Row(b, 0)[0] = dst;
  PIX_Fill(&b, 0, 0, 1, 1, colour, weight, mode);
  return At(b, 0, 0);
}

std::string BlitOne(uint32_t dst, uint32_t src, float weight, int mode) {
  PIX_MemBitmap d(1, 1), s(1, 1);
  PIX_Row(d, 0)[0] = dst;
  PIX_Row(s, 0)[0] = src;
  PIX_Blit(&d, &s, 0, 0, nullptr, weight, mode);
  return At(d, 0, 0);
}
}  // namespace

MODULE_TEST(FillArithmetic, CommonWeightsUseHalvesAndQuartersOfEveryByte) {
  CHECK_EQ(FillOne(kDst, kColour, 1.0f, PIX_COPY), "0x80FF0010");
  CHECK_EQ(FillOne(kDst, kColour, 0.75f, PIX_COPY), "0x9FC61024");
  CHECK_EQ(FillOne(kDst, kColour, 0.5f, PIX_COPY), "0xBF8F2038");
  CHECK_EQ(FillOne(kDst, kColour, 0.25f, PIX_COPY), "0xDE57304C");
}

MODULE_TEST(FillArithmetic, OtherWeightsBlendEachChannelAndDeriveAlphaFromTheWeight) {
  // w = int(0.3 * 256) = 76: red (32 - 255) * 180 / 256 + 255 = 99 (truncated
  // toward zero), green 45, blue 72, alpha 76 + (255 - 76) * 180 / 256 = 201.
  CHECK_EQ(FillOne(kDst, kColour, 0.3f, PIX_COPY), "0xC9632D48");
  // w = 255: every (d - s) / 256 truncates to 0, so the colour; alpha 255.
  CHECK_EQ(FillOne(kDst, kColour, 255.0f / 256.0f, PIX_COPY), "0xFFFF0010");
  // A weight just above 0 that still rounds down to w = 0 changes nothing but
  // alpha: 0 + 255 * 256 / 256.
  CHECK_EQ(FillOne(kDst, kColour, 0.001f, PIX_COPY), "0xFF204060");
}

MODULE_TEST(FillArithmetic, SourceAlphaScalesTheWeight) {
  // Weight 1.0 x 128/255 is not 0.5, so the general path runs with w = 128:
  // red 255 + (32 - 255) * 128 / 256 = 144 where the halving path gives 143.
  CHECK_EQ(FillOne(kDst, kColour, 1.0f, PIX_COPY | PIX_SOURCE_ALPHA), "0xBF902038");
  // An opaque colour at weight 1.0 is a plain fill.
  CHECK_EQ(FillOne(kDst, 0xFF123456, 1.0f, PIX_COPY | PIX_SOURCE_ALPHA), "0xFF123456");
  // A transparent colour draws nothing.
  CHECK_EQ(FillOne(kDst, 0x00123456, 1.0f, PIX_COPY | PIX_SOURCE_ALPHA), "0xFF204060");
}

MODULE_TEST(FillArithmetic, WeightsOutsideTheRangeAreSafe) {
  CHECK_EQ(FillOne(kDst, kColour, 0.0f, PIX_COPY), "0xFF204060");
  CHECK_EQ(FillOne(kDst, kColour, -1.0f, PIX_COPY), "0xFF204060");
  CHECK_EQ(FillOne(kDst, kColour, std::numeric_limits<float>::quiet_NaN(), PIX_COPY), "0xFF204060");
  CHECK_EQ(FillOne(kDst, kColour, 7.0f, PIX_COPY), "0x80FF0010");
  CHECK_EQ(FillOne(kDst, kColour, std::numeric_limits<float>::infinity(), PIX_COPY), "0x80FF0010");
}

MODULE_TEST(BlitArithmetic, SourceAlphaAtFullWeight) {
  const int mode = PIX_COPY | PIX_SOURCE_ALPHA;
  // Alpha 0 leaves the destination as it is, whatever the colour.
  CHECK_EQ(BlitOne(kDst, 0x00FFFFFF, 1.0f, mode), "0xFF204060");
  // Alpha 255 copies the colour and makes the pixel opaque.
  CHECK_EQ(BlitOne(0x10204060, 0xFF123456, 1.0f, mode), "0xFF123456");
  // Alpha 128: red 255 + (32 - 255) * 127 / 256 = 145, green 31, blue 55;
  // alpha min(255, 128 + dst alpha).
  CHECK_EQ(BlitOne(kDst, kColour, 1.0f, mode), "0xFF911F37");
  CHECK_EQ(BlitOne(0x10204060, kColour, 1.0f, mode), "0x90911F37");
  // Alpha 1 moves black only by 2: 255 + (0 - 255) * 254 / 256 = 2.
  CHECK_EQ(BlitOne(0xFF000000, 0x01FFFFFF, 1.0f, mode), "0xFF020202");
  // Alpha 254 onto white: 0 + 255 * 1 / 256 = 0.
  CHECK_EQ(BlitOne(0xFFFFFFFF, 0xFE000000, 1.0f, mode), "0xFF000000");
}

MODULE_TEST(BlitArithmetic, SourceAlphaAtOtherWeights) {
  const int mode = PIX_COPY | PIX_SOURCE_ALPHA;
  // Weight 0.5 with alpha: alpha 128 becomes 64, then the alpha formula.
  CHECK_EQ(BlitOne(kDst, kColour, 0.5f, mode), "0xFF592F4B");
  // Weight 0.25 (a grayed control): alpha 255 becomes 255 * 64 / 256 = 63;
  // red 255 + (32 - 255) * 192 / 256 = 88, green 64 * 192 / 256 = 48,
  // blue 16 + 80 * 192 / 256 = 76.
  CHECK_EQ(BlitOne(kDst, 0xFFFF0010, 0.25f, mode), "0xFF58304C");
  // Transparent pixels stay transparent at every weight.
  CHECK_EQ(BlitOne(kDst, 0x00FF0010, 0.25f, mode), "0xFF204060");
}

MODULE_TEST(BlitArithmetic, WithoutSourceAlphaEveryByteIsBlended) {
  // Weight 1.0 is a row copy, alpha included.
  CHECK_EQ(BlitOne(kDst, kColour, 1.0f, PIX_COPY), "0x80FF0010");
  // Weight 0.5 averages all four bytes by halves, as the fill does.
  CHECK_EQ(BlitOne(kDst, kColour, 0.5f, PIX_COPY), "0xBF8F2038");
  // Other weights treat alpha as a fourth channel: (255 - 128) * 180 / 256 + 128.
  CHECK_EQ(BlitOne(kDst, kColour, 0.3f, PIX_COPY), "0xD9632D48");
  CHECK_EQ(BlitOne(kDst, kColour, 0.0f, PIX_COPY), "0xFF204060");
}

MODULE_TEST(BlendModes, AddSaturatesAndKeepsAlpha) {
  CHECK_EQ(FillOne(kDst, 0x00F0F010, 1.0f, PIX_ADD), "0xFFFFFF70");
  // Half weight moves half way toward the sum: 32 + (255 - 32) * 128 / 256.
  CHECK_EQ(FillOne(kDst, 0x00F0F010, 0.5f, PIX_ADD), "0xFF8F9F68");
}

MODULE_TEST(BlendModes, NeutralColoursLeaveTheDestination) {
  CHECK_EQ(FillOne(kDst, 0x00FFFFFF, 1.0f, PIX_MULTIPLY), "0xFF204060");
  CHECK_EQ(FillOne(kDst, 0x00000000, 1.0f, PIX_ADD), "0xFF204060");
  CHECK_EQ(FillOne(kDst, 0x00000000, 1.0f, PIX_DODGE), "0xFF204060");
  CHECK_EQ(FillOne(kDst, 0x00008080, 1.0f, PIX_HSV), "0xFF204060");
  CHECK_EQ(FillOne(0xFF404040, 0x00808080, 1.0f, PIX_OVERLAY), "0xFF404040");
}

MODULE_TEST(BlendModes, HandComputedResults) {
  // Multiply: 0x40 * 0x80 / 255 = 32; dodge: 0x40 * 256 / (256 - 0x80) = 128.
  CHECK_EQ(FillOne(0xFF404040, 0x00808080, 1.0f, PIX_MULTIPLY), "0xFF202020");
  CHECK_EQ(FillOne(0xFF404040, 0x00808080, 1.0f, PIX_DODGE), "0xFF808080");
  // HSV: half the saturation turns pure red into (255, 128, 128) (value kept).
  CHECK_EQ(FillOne(0xFFFF0000, 0x00004080, 1.0f, PIX_HSV), "0xFFFF8080");
  // A turn of 85/256 (1.992 of the six hue sectors) moves pure red almost
  // to pure green.
  CHECK_EQ(FillOne(0xFFFF0000, 0x00558080, 1.0f, PIX_HSV), "0xFF02FF00");
  // Blit with a mode honours the source alpha as a weight.
  CHECK_EQ(BlitOne(0xFF404040, 0x00FFFFFF, 1.0f, PIX_ADD | PIX_SOURCE_ALPHA), "0xFF404040");
  CHECK_EQ(BlitOne(0xFF404040, 0xFF202020, 1.0f, PIX_ADD | PIX_SOURCE_ALPHA), "0xFF606060");
}

MODULE_TEST(FillArithmetic, LargeAreasGiveTheSameBytesAsSinglePixels) {
  // Large fills take other code paths (tables, whole rows); every pixel must
  // still equal a one-pixel fill of the same destination value.
  PIX_MemBitmap big(40, 30);
  auto start = [](int x, int y) { return uint32_t(x * 0x9E3779B1u ^ y * 0x85EBCA77u); };
  int wrong = 0;
  for (float weight : {0.3f, 0.75f, 0.5f, 0.9f, 0.01f}) {
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) PIX_Row(big, y)[x] = start(x, y);
    PIX_Fill(&big, 0, 0, 40, 30, kColour, weight, PIX_COPY);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x)
        if (rig::Hex(PIX_Row(big, y)[x]) != FillOne(start(x, y), kColour, weight, PIX_COPY)) ++wrong;
  }
  CHECK_EQ(wrong, 0);
}
