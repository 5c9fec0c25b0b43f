#include "EditorTypes.h"

#include <algorithm>
#include <cstring>

Rect Rect::Union(const Rect& b) const {
  if (Empty()) return b;
  if (b.Empty()) return *this;
  return Rect(std::min(left, b.left), std::min(top, b.top), std::max(right, b.right), std::max(bottom, b.bottom));
}

Rect Rect::Clip(const Rect& b) const {
  const Rect r(std::max(left, b.left), std::max(top, b.top), std::min(right, b.right), std::min(bottom, b.bottom));
  return r.CoversNothing() ? Rect() : r;
}

uint32_t Colour::Packed() const {
  auto byte = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
  return byte(alpha) << 24 | byte(red) << 16 | byte(green) << 8 | byte(blue);
}

TextStyle::TextStyle(int size_, const Colour& colour_, const char* fontName_, int style_, int align_,
                     int orientation_, int quality_)
    : size(size_), colour(colour_), style(style_), align(align_), orientation(orientation_), quality(quality_) {
  if (fontName_) {
    const size_t n = std::min(std::strlen(fontName_), sizeof fontName - 1);
    std::memcpy(fontName, fontName_, n);
    fontName[n] = '\0';
  }
}
