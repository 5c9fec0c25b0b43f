// Rectangle fills and one-pixel lines.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "PixelOps.h"

namespace {

// Weight clamped to 0..1, with NaN as 0.
float ClampWeight(float weight) {
  if (!(weight > 0.0f)) return 0.0f;
  return weight > 1.0f ? 1.0f : weight;
}

bool IsShiftWeight(float weight) {
  return weight == 1.0f || weight == 0.75f || weight == 0.5f || weight == 0.25f;
}

// One run of n pixels in the colour c. Copy at the common weights is done on
// all four bytes at once with shifts; other weights and modes per channel.
void FillRun(uint32_t* p, int n, uint32_t c, float weight, int blend) {
  if (blend != PIX_COPY && blend <= PIX_HSV) {
    const int w = pix::WeightToInt(weight);
    for (int i = 0; i < n; ++i) p[i] = pix::BlendMode(p[i], c, blend, w);
    return;
  }
  if (weight == 1.0f) {
    std::fill(p, p + n, c);
  } else if (weight == 0.5f) {
    const uint32_t half = pix::Half(c);
    for (int i = 0; i < n; ++i) p[i] = pix::Half(p[i]) + half;
  } else if (weight == 0.25f) {
    const uint32_t quarter = pix::Quarter(c);
    for (int i = 0; i < n; ++i) p[i] = pix::Half(p[i]) + pix::Quarter(p[i]) + quarter;
  } else if (weight == 0.75f) {
    const uint32_t threeQuarters = pix::Half(c) + pix::Quarter(c);
    for (int i = 0; i < n; ++i) p[i] = pix::Quarter(p[i]) + threeQuarters;
  } else {
    const int w = pix::WeightToInt(weight);
    for (int i = 0; i < n; ++i) p[i] = pix::CopyWeighted(p[i], c, w);
  }
}

// The weight after the colour's own alpha, when the mode asks for it.
float EffectiveWeight(float weight, uint32_t colour, int mode) {
  weight = ClampWeight(weight);
  if (mode & PIX_SOURCE_ALPHA) weight *= float(colour >> 24) / 255.0f;
  return weight;
}

void BlendPixel(PIX_IBitmap& dst, int x, int y, uint32_t colour, float weight, int blend) {
  if (x < 0 || y < 0 || x >= dst.Width() || y >= dst.Height() || !(weight > 0.0f)) return;
  FillRun(PIX_Row(dst, y) + x, 1, colour, weight, blend);
}

// Clips the segment to [0, w) x [0, h) (Liang-Barsky). False when nothing is left.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, int w, int h) {
  double t0 = 0.0, t1 = 1.0;
  const double dx = x2 - x1, dy = y2 - y1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1, double(w - 1) - x1, y1, double(h - 1) - y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0) t0 = std::max(t0, t);
    else t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  const double ox = x1, oy = y1;
  x1 = ox + t0 * dx;
  y1 = oy + t0 * dy;
  x2 = ox + t1 * dx;
  y2 = oy + t1 * dy;
  return true;
}

}  // namespace

void PIX_Fill(PIX_IBitmap* dst, int x, int y, int width, int height, uint32_t colour, float weight, int mode) {
  if (dst == nullptr || dst->IsEmpty()) return;
  weight = EffectiveWeight(weight, colour, mode);
  if (weight <= 0.0f) return;
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t(x) + width, dst->Width());
  const int64_t bottom = std::min<int64_t>(int64_t(y) + height, dst->Height());
  if (right <= left || bottom <= top) return;
  const int blend = mode & PIX_MODE_MASK;
  const int64_t width64 = right - left;
  if ((blend == PIX_COPY || blend > PIX_HSV) && !IsShiftWeight(weight) && width64 * (bottom - top) >= 256) {
    // With the colour and weight fixed, each output byte depends on its
    // input byte alone: four tables of the exact formula, then lookups.
    uint8_t table[4][256];
    const int w = pix::WeightToInt(weight);
    for (int d = 0; d < 256; ++d) {
      const uint32_t out = pix::CopyWeighted(uint32_t(d) * 0x01010101u, colour, w);
      for (int k = 0; k < 4; ++k) table[k][d] = uint8_t(out >> (8 * k));
    }
    for (int64_t row = top; row < bottom; ++row) {
      uint32_t* p = PIX_Row(*dst, int(row)) + left;
      for (int64_t i = 0; i < width64; ++i) {
        const uint32_t d = p[i];
        p[i] = uint32_t(table[0][d & 255]) | uint32_t(table[1][(d >> 8) & 255]) << 8 |
               uint32_t(table[2][(d >> 16) & 255]) << 16 | uint32_t(table[3][d >> 24]) << 24;
      }
    }
    return;
  }
  for (int64_t row = top; row < bottom; ++row)
    FillRun(PIX_Row(*dst, int(row)) + left, int(width64), colour, weight, blend);
}

void PIX_Line(PIX_IBitmap* dst, int x1, int y1, int x2, int y2, uint32_t colour, float weight, int mode,
              bool antialias) {
  if (dst == nullptr || dst->IsEmpty()) return;
  weight = EffectiveWeight(weight, colour, mode);
  if (weight <= 0.0f) return;
  const int blend = mode & PIX_MODE_MASK;
  if (y1 == y2 || x1 == x2) {
    // Axis-aligned: a fill one pixel wide or high, both ends included.
    const int64_t left = std::max<int64_t>(std::min(x1, x2), 0);
    const int64_t right = std::min<int64_t>(int64_t(std::max(x1, x2)) + 1, dst->Width());
    const int64_t top = std::max<int64_t>(std::min(y1, y2), 0);
    const int64_t bottom = std::min<int64_t>(int64_t(std::max(y1, y2)) + 1, dst->Height());
    if (right <= left || bottom <= top) return;
    for (int64_t row = top; row < bottom; ++row)
      FillRun(PIX_Row(*dst, int(row)) + left, int(right - left), colour, weight, blend);
    return;
  }
  double fx1 = x1, fy1 = y1, fx2 = x2, fy2 = y2;
  if (!ClipSegment(fx1, fy1, fx2, fy2, dst->Width(), dst->Height())) return;
  const bool steep = std::fabs(fy2 - fy1) > std::fabs(fx2 - fx1);
  if (steep) {
    std::swap(fx1, fy1);
    std::swap(fx2, fy2);
  }
  if (fx1 > fx2) {
    std::swap(fx1, fx2);
    std::swap(fy1, fy2);
  }
  const double gradient = fx2 == fx1 ? 0.0 : (fy2 - fy1) / (fx2 - fx1);
  const int start = int(std::lround(fx1)), end = int(std::lround(fx2));
  for (int major = start; major <= end; ++major) {
    const double minor = fy1 + gradient * (double(major) - fx1);
    auto plot = [&](int a, int b, float w) {
      if (steep) BlendPixel(*dst, b, a, colour, w, blend);
      else BlendPixel(*dst, a, b, colour, w, blend);
    };
    if (antialias) {
      // Two pixels across the line share the weight by distance.
      const double below = std::floor(minor);
      const float frac = float(minor - below);
      plot(major, int(below), weight * (1.0f - frac));
      plot(major, int(below) + 1, weight * frac);
    } else {
      plot(major, int(std::lround(minor)), weight);
    }
  }
}
