#include "EditorCaches.h"

#include <cstring>

#include "EditorDrawing.h"
#include "IEffectParam.h"
#include "PIX_Font.h"
#include "PIX_Bitmap.h"

StripCache& StripCache::Instance() {
  static StripCache cache;
  return cache;
}

StripCache::~StripCache() = default;

PIX_IBitmap* StripCache::Find(int resourceId) {
  std::lock_guard<std::mutex> lock(lock_);
  for (const Entry& e : entries_)
    if (e.resourceId == resourceId) return e.image.get();
  return nullptr;
}

PIX_IBitmap* StripCache::Add(int resourceId, std::unique_ptr<PIX_IBitmap> image) {
  if (!image) return nullptr;
  std::lock_guard<std::mutex> lock(lock_);
  for (const Entry& e : entries_)
    if (e.resourceId == resourceId) return e.image.get();
  entries_.push_back({resourceId, std::move(image)});
  return entries_.back().image.get();
}

int StripCache::Count() {
  std::lock_guard<std::mutex> lock(lock_);
  return static_cast<int>(entries_.size());
}

FontCache& FontCache::Instance() {
  static FontCache cache;
  return cache;
}

FontCache::~FontCache() = default;

PIX_CachedFont* FontCache::FontFor(const TextStyle& style) {
  std::lock_guard<std::mutex> lock(lock_);
  for (const Entry& e : entries_) {
    if (e.size == style.size && e.orientation == style.orientation && e.style == style.style &&
        std::strncmp(e.name, style.fontName, sizeof e.name) == 0)
      return e.font.get();
  }
  std::unique_ptr<PIX_CachedFont> font = editor_drawing::NewFont(style);
  if (!font) return nullptr;
  Entry entry{style.size, style.orientation, style.style, {}, std::move(font)};
  CopyText(entry.name, style.fontName, sizeof entry.name);
  entries_.push_back(std::move(entry));
  return entries_.back().font.get();
}

int FontCache::Count() {
  std::lock_guard<std::mutex> lock(lock_);
  return static_cast<int>(entries_.size());
}
