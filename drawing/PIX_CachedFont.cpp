#include <atomic>

#include "PIX_Font.h"

namespace {
std::atomic<int> gInstancesCreated{0};
}

PIX_FontHandle PIX_CreateFontHandle(const PIX_FontSpec&) { return nullptr; }
void PIX_DeleteFontHandle(PIX_FontHandle) {}

PIX_CachedFont::PIX_CachedFont() {
  for (int& d : mDirect) d = -1;
  gInstancesCreated.fetch_add(1, std::memory_order_relaxed);
}
PIX_CachedFont::~PIX_CachedFont() { Clear(); }
int PIX_CachedFont::InstancesCreated() { return gInstancesCreated.load(std::memory_order_relaxed); }
void PIX_CachedFont::Clear() {}
bool PIX_CachedFont::SetFont(PIX_FontHandle font, int flags) {
  mFont = font;
  mFlags = flags;
  return font != nullptr;
}
void PIX_CachedFont::SetCombine(int mode, float alpha) {
  mCombineMode = mode;
  mCombineAlpha = alpha;
}
const PIX_CachedFont::Glyph* PIX_CachedFont::Find(uint32_t) { return nullptr; }
int PIX_CachedFont::DrawUtf8(PIX_IBitmap*, const char*, int, PIX_Rect*, int) { return 0; }

int PIX_DrawText(PIX_IFont* font, PIX_IBitmap* dst, const char* text, int length, PIX_Rect* rect, int flags) {
  if (font == nullptr || rect == nullptr) return 0;
  return font->DrawUtf8(dst, text, length, rect, flags);
}
