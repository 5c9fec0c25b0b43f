// Text drawn from a per-font store of rendered glyphs.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "GlyphSource.h"
#include "PIX_Draw.h"
#include "PIX_Font.h"
#include "PIX_Platform.h"
#include "PixelOps.h"
#include "Utf8.h"

namespace {
std::atomic<int> gInstancesCreated{0};

int ClampToInt(int64_t v) {
  return int(std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, v)));
}
}  // namespace

PIX_CachedFont::PIX_CachedFont() {
  std::fill(std::begin(mDirect), std::end(mDirect), -1);
  gInstancesCreated.fetch_add(1, std::memory_order_relaxed);
}

PIX_CachedFont::~PIX_CachedFont() {
  if ((mFlags & PIX_FONT_OWNS_HANDLE) && mFont != nullptr) PIX_DeleteFontHandle(mFont);
}

int PIX_CachedFont::InstancesCreated() { return gInstancesCreated.load(std::memory_order_relaxed); }

void PIX_CachedFont::Clear() {
  std::fill(std::begin(mDirect), std::end(mDirect), -1);
  mGlyphs.clear();
  mStore.clear();
  mOthers.clear();
}

bool PIX_CachedFont::SetFont(PIX_FontHandle font, int flags) {
  if ((mFlags & PIX_FONT_OWNS_HANDLE) && mFont != nullptr && mFont != font) PIX_DeleteFontHandle(mFont);
  Clear();
  mFont = font;
  mFlags = flags;
  mLineHeight = pix::FontLineHeight(font);
  if (font == nullptr) return false;
  if (flags & PIX_FONT_PRELOAD_ASCII) {
    const uint8_t* coverage = nullptr;
    for (uint32_t cp = 32; cp < 128; ++cp) Find(cp, &coverage);
  }
  return true;
}

void PIX_CachedFont::SetCombine(int mode, float alpha) {
  mCombineMode = mode;
  mCombineAlpha = alpha >= 0.0f ? std::min(alpha, 1.0f) : 0.0f;  // NaN gives 0
}

// The glyph of a code point, rendered and stored on first use. Null when the
// platform cannot render it. The pointers stay valid until the next Find.
const PIX_CachedFont::Glyph* PIX_CachedFont::Find(uint32_t codePoint, const uint8_t** coverage) {
  int index = -1;
  if (codePoint < 256) {
    index = mDirect[codePoint];
  } else {
    auto it = mOthers.find(codePoint);
    if (it != mOthers.end()) index = it->second;
  }
  if (index < 0) {
    pix::GlyphImage image;
    if (!pix::RenderGlyph(mFont, codePoint, image)) return nullptr;
    Glyph glyph;
    glyph.codePoint = codePoint;
    glyph.left = image.left;
    glyph.top = image.top;
    glyph.width = image.width;
    glyph.height = image.height;
    glyph.advance = image.advance;
    if (int(mGlyphs.size()) >= kMaxCachedGlyphs) {
      mSpare = glyph;
      mSpareCoverage = std::move(image.coverage);
      *coverage = mSpareCoverage.data();
      return &mSpare;
    }
    glyph.storeOffset = int(mStore.size());
    mStore.insert(mStore.end(), image.coverage.begin(), image.coverage.end());
    index = int(mGlyphs.size());
    mGlyphs.push_back(glyph);
    if (codePoint < 256) mDirect[codePoint] = index;
    else mOthers.emplace(codePoint, index);
  }
  const Glyph& glyph = mGlyphs[size_t(index)];
  *coverage = mStore.data() + glyph.storeOffset;
  return &glyph;
}

bool PIX_CachedFont::UseNative(PIX_IBitmap* dst, int flags) const {
  if (dst == nullptr || dst->DeviceContext() == nullptr) return false;
  if (mLineHeight >= 256) return true;
  return (mFlags & PIX_FONT_PREFER_NATIVE) && !(flags & PIX_TEXT_ALPHA) && !IsRunningUnderWine();
}

// Lays one glyph's coverage over dst in the text colour, inside clip.
void PIX_CachedFont::Composite(PIX_IBitmap& dst, const Glyph& glyph, const uint8_t* coverage, int64_t penX,
                               int64_t penY, const PIX_Rect& clip, uint32_t colour, int alpha) const {
  const int64_t gx = penX + glyph.left, gy = penY + glyph.top;
  const int64_t x0 = std::max<int64_t>(gx, clip.left), x1 = std::min<int64_t>(gx + glyph.width, clip.right);
  const int64_t y0 = std::max<int64_t>(gy, clip.top), y1 = std::min<int64_t>(gy + glyph.height, clip.bottom);
  const int mode = mCombineMode & PIX_MODE_MASK;
  for (int64_t y = y0; y < y1; ++y) {
    uint32_t* row = PIX_Row(dst, int(y));
    const uint8_t* cov = coverage + (y - gy) * glyph.width;
    for (int64_t x = x0; x < x1; ++x) {
      const int c = cov[x - gx];
      if (c == 0) continue;
      const int a = c * alpha / 255;
      if (mode == PIX_COPY || mode > PIX_HSV) row[x] = pix::CopyWithAlpha(row[x], colour, a);
      else row[x] = pix::BlendMode(row[x], colour, mode, a * 256 / 255);
    }
  }
}

int PIX_CachedFont::DrawUtf8(PIX_IBitmap* dst, const char* text, int length, PIX_Rect* rect, int flags) {
  if (text == nullptr || rect == nullptr || mFont == nullptr) return 0;
  const size_t bytes = length < 0 ? std::strlen(text) : size_t(length);
  pix::DecodeUtf8(text, bytes, mCodePoints);
  if (mCodePoints.empty()) {
    if (flags & PIX_TEXT_MEASURE) {
      rect->right = rect->left;
      rect->bottom = rect->top;
    }
    return 0;
  }

  if (UseNative(dst, flags)) {
    int height = 0;
    const pix::NativeText native{mCodePoints.data(), mCodePoints.size(), mTextColour, mBackMode, mBackColour};
    if (pix::DrawNative(mFont, dst, native, rect, flags, &height)) return height;
  }

  const bool singleLine = (flags & PIX_TEXT_SINGLE_LINE) != 0;
  const uint8_t* coverage = nullptr;
  // Pass 1: line widths. A carriage return restarts the line, a line feed
  // starts the next one; other control characters draw nothing.
  std::vector<int64_t> widths(1, 0);
  int64_t x = 0;
  for (uint32_t cp : mCodePoints) {
    if (cp == '\r') {
      x = 0;
    } else if (cp == '\n') {
      if (!singleLine) {
        widths.push_back(0);
        x = 0;
      }
    } else if (cp >= 0x20) {
      if (const Glyph* g = Find(cp, &coverage)) x += g->advance;
      widths.back() = std::max(widths.back(), x);
    }
  }
  const int64_t maxWidth = *std::max_element(widths.begin(), widths.end());
  const int64_t totalHeight = int64_t(widths.size()) * mLineHeight;
  if (flags & PIX_TEXT_MEASURE) {
    rect->right = ClampToInt(int64_t(rect->left) + maxWidth);
    rect->bottom = ClampToInt(int64_t(rect->top) + totalHeight);
    return ClampToInt(totalHeight);
  }
  if (dst == nullptr || dst->IsEmpty()) return ClampToInt(totalHeight);

  PIX_Rect clip{0, 0, dst->Width(), dst->Height()};
  if (!(flags & PIX_TEXT_NO_CLIP)) {
    clip.left = std::max(clip.left, rect->left);
    clip.top = std::max(clip.top, rect->top);
    clip.right = std::min(clip.right, rect->right);
    clip.bottom = std::min(clip.bottom, rect->bottom);
  }
  if (clip.right <= clip.left || clip.bottom <= clip.top) return ClampToInt(totalHeight);

  int64_t top = rect->top;
  if (singleLine && (flags & PIX_TEXT_VCENTRE))
    top = int64_t(rect->top) + (int64_t(rect->bottom) - rect->top - mLineHeight) / 2;
  else if (singleLine && (flags & PIX_TEXT_BOTTOM))
    top = int64_t(rect->bottom) - totalHeight;

  int alpha = 255;
  if (flags & PIX_TEXT_ALPHA) alpha = int(mTextColour >> 24);
  alpha = int(float(alpha) * mCombineAlpha);
  const uint32_t colour = mTextColour & 0x00FFFFFFu;
  const bool opaque = mBackMode == PIX_BACK_OPAQUE && mBackColour != 0xFFFFFFFFu;

  // Pass 2: draw, line by line.
  size_t line = 0;
  auto lineStart = [&](size_t index) {
    const int64_t w = widths[index];
    if (flags & PIX_TEXT_CENTRE) return int64_t(rect->left) + (int64_t(rect->right) - rect->left - w) / 2;
    if (flags & PIX_TEXT_RIGHT) return int64_t(rect->right) - w;
    return int64_t(rect->left);
  };
  auto fillBack = [&](size_t index) {
    if (!opaque) return;
    const int64_t left = std::max<int64_t>(lineStart(index), clip.left);
    const int64_t right = std::min<int64_t>(lineStart(index) + widths[index], clip.right);
    const int64_t y = top + int64_t(index) * mLineHeight;
    const int64_t t = std::max<int64_t>(y, clip.top), b = std::min<int64_t>(y + mLineHeight, clip.bottom);
    if (right > left && b > t)
      PIX_Fill(dst, int(left), int(t), int(right - left), int(b - t), mBackColour | 0xFF000000u, 1.0f, PIX_COPY);
  };
  fillBack(0);
  x = lineStart(0);
  for (uint32_t cp : mCodePoints) {
    const int64_t y = top + int64_t(line) * mLineHeight;
    if (cp == '\r') {
      x = lineStart(line);
    } else if (cp == '\n') {
      if (!singleLine) {
        ++line;
        fillBack(line);
        x = lineStart(line);
      }
    } else if (cp >= 0x20) {
      const Glyph* g = Find(cp, &coverage);
      if (g == nullptr) continue;
      if (x + g->left < clip.right && x + g->left + g->width > clip.left)
        Composite(*dst, *g, coverage, x, y, clip, colour, alpha);
      x += g->advance;
    }
  }
  return ClampToInt(totalHeight);
}

int PIX_DrawText(PIX_IFont* font, PIX_IBitmap* dst, const char* text, int length, PIX_Rect* rect, int flags) {
  if (font == nullptr || rect == nullptr) return 0;
  return font->DrawUtf8(dst, text, length, rect, flags);
}
