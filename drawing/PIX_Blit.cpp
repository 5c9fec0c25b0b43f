// Bitmap to bitmap copies and blends.
#include <algorithm>
#include <cstring>
#include <vector>

#include "PixelOps.h"

namespace {

struct Span {
  int srcX, srcY, dstX, dstY, width, height;
};

// Clips the copy of srcRect (or all of src) to (x, y) against both bitmaps.
// A part of the rectangle outside the source, or a negative destination
// position, moves the start on both sides alike.
bool ClipBlit(PIX_IBitmap& dst, PIX_IBitmap& src, int x, int y, const PIX_Rect* srcRect, Span& out) {
  int64_t sl = 0, st = 0, sr = src.Width(), sb = src.Height();
  if (srcRect != nullptr) {
    sl = srcRect->left;
    st = srcRect->top;
    sr = srcRect->right;
    sb = srcRect->bottom;
  }
  int64_t dx = x, dy = y;
  if (sl < 0) {
    dx -= sl;
    sl = 0;
  }
  if (st < 0) {
    dy -= st;
    st = 0;
  }
  sr = std::min<int64_t>(sr, src.Width());
  sb = std::min<int64_t>(sb, src.Height());
  if (dx < 0) {
    sl -= dx;
    dx = 0;
  }
  if (dy < 0) {
    st -= dy;
    dy = 0;
  }
  const int64_t w = std::min<int64_t>(sr - sl, dst.Width() - dx);
  const int64_t h = std::min<int64_t>(sb - st, dst.Height() - dy);
  if (w <= 0 || h <= 0) return false;
  out = Span{int(sl), int(st), int(dx), int(dy), int(w), int(h)};
  return true;
}

void BlendRow(uint32_t* d, const uint32_t* s, int n, float weight, int blend, bool sourceAlpha) {
  const int w = pix::WeightToInt(weight);
  if (blend == PIX_COPY || blend > PIX_HSV) {
    if (sourceAlpha) {
      if (w >= 256) {
        for (int i = 0; i < n; ++i) d[i] = pix::CopyWithAlpha(d[i], s[i], int(s[i] >> 24));
      } else {
        for (int i = 0; i < n; ++i) d[i] = pix::CopyWithAlpha(d[i], s[i], int(s[i] >> 24) * w / 256);
      }
    } else if (weight == 1.0f) {
      std::memmove(d, s, size_t(n) * 4);
    } else if (weight == 0.5f) {
      for (int i = 0; i < n; ++i) d[i] = pix::Half(d[i]) + pix::Half(s[i]);
    } else {
      for (int i = 0; i < n; ++i) d[i] = pix::CopyWeightedAllChannels(d[i], s[i], w);
    }
    return;
  }
  for (int i = 0; i < n; ++i) {
    const int pw = sourceAlpha ? int(s[i] >> 24) * w / 255 : w;
    d[i] = pix::BlendMode(d[i], s[i], blend, pw);
  }
}

}  // namespace

void PIX_Blit(PIX_IBitmap* dst, PIX_IBitmap* src, int x, int y, const PIX_Rect* srcRect, float weight,
              int mode) {
  if (dst == nullptr || src == nullptr || dst->IsEmpty() || src->IsEmpty()) return;
  if (!(weight > 0.0f)) return;
  if (weight > 1.0f) weight = 1.0f;
  Span span;
  if (!ClipBlit(*dst, *src, x, y, srcRect, span)) return;
  const int blend = mode & PIX_MODE_MASK;
  const bool sourceAlpha = (mode & PIX_SOURCE_ALPHA) != 0;

  if (src == dst) {
    // Overlapping rows: read each source row from a copy, in an order that
    // never reads a row already written.
    std::vector<uint32_t> row(size_t(span.width));
    const bool upward = span.dstY > span.srcY;
    for (int i = 0; i < span.height; ++i) {
      const int r = upward ? span.height - 1 - i : i;
      std::memcpy(row.data(), PIX_Row(*src, span.srcY + r) + span.srcX, row.size() * 4);
      BlendRow(PIX_Row(*dst, span.dstY + r) + span.dstX, row.data(), span.width, weight, blend, sourceAlpha);
    }
    return;
  }
  for (int r = 0; r < span.height; ++r)
    BlendRow(PIX_Row(*dst, span.dstY + r) + span.dstX, PIX_Row(*src, span.srcY + r) + span.srcX, span.width,
             weight, blend, sourceAlpha);
}
