#pragma once
// Per-pixel arithmetic shared by fills, lines, blits and text. Internal to
// the drawing library. Weights are integers 0..256 (256 = all source).

#include <cstdint>

#include "PIX_Draw.h"

namespace pix {

// int(weight * 256) for a weight already clamped to 0..1.
inline int WeightToInt(float weight) { return int(weight * 256.0f); }

// Copy at weight w: each channel (d - s) * (256 - w) / 256 + s, alpha
// w + (dA - w) * (256 - w) / 256, clamped to 255 (only w = 256 exceeds it).
inline uint32_t CopyWeighted(uint32_t d, uint32_t s, int w) {
  const int keep = 256 - w;
  auto channel = [&](int shift) {
    const int dc = int((d >> shift) & 255), sc = int((s >> shift) & 255);
    return uint32_t((dc - sc) * keep / 256 + sc) << shift;
  };
  int alpha = w + (int(d >> 24) - w) * keep / 256;
  if (alpha > 255) alpha = 255;
  return channel(16) | channel(8) | channel(0) | uint32_t(alpha) << 24;
}

// Copy at weight w that treats alpha as a fourth colour channel (blits
// without source alpha, where weight 1.0 must equal a plain row copy).
inline uint32_t CopyWeightedAllChannels(uint32_t d, uint32_t s, int w) {
  const int keep = 256 - w;
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int dc = int((d >> shift) & 255), sc = int((s >> shift) & 255);
    out |= uint32_t((dc - sc) * keep / 256 + sc) << shift;
  }
  return out;
}

// Copy honouring a source alpha a (0..255, already scaled by the weight):
// 0 keeps the destination, 255 copies the colour with alpha 255, anything
// between gives s + (d - s) * (255 - a) / 256 and alpha min(255, a + dA).
inline uint32_t CopyWithAlpha(uint32_t d, uint32_t s, int a) {
  if (a <= 0) return d;
  if (a >= 255) return s | 0xFF000000u;
  const int keep = 255 - a;
  auto channel = [&](int shift) {
    const int dc = int((d >> shift) & 255), sc = int((s >> shift) & 255);
    return uint32_t(sc + (dc - sc) * keep / 256) << shift;
  };
  int alpha = a + int(d >> 24);
  if (alpha > 255) alpha = 255;
  return channel(16) | channel(8) | channel(0) | uint32_t(alpha) << 24;
}

// Halves and quarters of all four bytes, without multiplication.
inline uint32_t Half(uint32_t p) { return (p >> 1) & 0x7F7F7F7Fu; }
inline uint32_t Quarter(uint32_t p) { return (p >> 2) & 0x3F3F3F3Fu; }

// The colour modes other than copy: the mode's result replaces the
// destination's colour at weight w; the destination keeps its alpha.
uint32_t BlendMode(uint32_t d, uint32_t s, int mode, int w);

}  // namespace pix
