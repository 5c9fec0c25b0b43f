// The colour modes besides copy. The editor draws with copy only; these give
// the other modes a definite, platform-independent result.
#include <algorithm>
#include <cmath>

#include "PixelOps.h"

namespace pix {
namespace {

int Add(int d, int s) { return std::min(255, d + s); }
// Colour dodge: the destination brightened by the source, d * 256 / (256 - s).
int Dodge(int d, int s) { return std::min(255, d * 256 / (256 - s)); }
int Multiply(int d, int s) { return d * s / 255; }
// Multiply where the destination is dark, screen where it is bright.
int Overlay(int d, int s) { return d < 128 ? 2 * d * s / 255 : 255 - 2 * (255 - d) * (255 - s) / 255; }

// Hue, saturation and value of the destination adjusted by the source: red
// turns the hue by red/256 of a full turn, green scales the saturation and
// blue the value, 128 meaning unchanged (so 0x808080 with red 0 is identity).
uint32_t Hsv(uint32_t d, uint32_t s) {
  const float r = float((d >> 16) & 255), g = float((d >> 8) & 255), b = float(d & 255);
  const float maxc = std::max(r, std::max(g, b)), minc = std::min(r, std::min(g, b));
  const float delta = maxc - minc;
  float hue = 0.0f;  // 0..6
  if (delta > 0.0f) {
    if (maxc == r) hue = (g - b) / delta;
    else if (maxc == g) hue = 2.0f + (b - r) / delta;
    else hue = 4.0f + (r - g) / delta;
    if (hue < 0.0f) hue += 6.0f;
  }
  float sat = maxc > 0.0f ? delta / maxc : 0.0f;
  float val = maxc;
  hue += float((s >> 16) & 255) * (6.0f / 256.0f);
  if (hue >= 6.0f) hue -= 6.0f;
  sat = std::min(1.0f, sat * float((s >> 8) & 255) / 128.0f);
  val = std::min(255.0f, val * float(s & 255) / 128.0f);
  const int sector = std::min(5, int(hue));
  const float f = hue - float(sector);
  const float p = val * (1.0f - sat), q = val * (1.0f - sat * f), t = val * (1.0f - sat * (1.0f - f));
  float rr = val, gg = t, bb = p;
  switch (sector) {
    case 0: rr = val; gg = t; bb = p; break;
    case 1: rr = q; gg = val; bb = p; break;
    case 2: rr = p; gg = val; bb = t; break;
    case 3: rr = p; gg = q; bb = val; break;
    case 4: rr = t; gg = p; bb = val; break;
    default: rr = val; gg = p; bb = q; break;
  }
  auto byte = [](float v) { return uint32_t(std::lround(std::min(255.0f, std::max(0.0f, v)))); };
  return byte(rr) << 16 | byte(gg) << 8 | byte(bb);
}

}  // namespace

uint32_t BlendMode(uint32_t d, uint32_t s, int mode, int w) {
  uint32_t target = 0;
  if (mode == PIX_HSV) {
    target = Hsv(d, s);
  } else {
    for (int shift = 0; shift < 24; shift += 8) {
      const int dc = int((d >> shift) & 255), sc = int((s >> shift) & 255);
      int t = dc;
      switch (mode) {
        case PIX_ADD: t = Add(dc, sc); break;
        case PIX_DODGE: t = Dodge(dc, sc); break;
        case PIX_MULTIPLY: t = Multiply(dc, sc); break;
        case PIX_OVERLAY: t = Overlay(dc, sc); break;
        default: break;
      }
      target |= uint32_t(t) << shift;
    }
  }
  // Move each channel from the destination toward the mode's result.
  uint32_t out = d & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const int dc = int((d >> shift) & 255), tc = int((target >> shift) & 255);
    out |= uint32_t(dc + (tc - dc) * w / 256) << shift;
  }
  return out;
}

}  // namespace pix
