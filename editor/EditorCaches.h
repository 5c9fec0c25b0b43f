#pragma once
// Images and fonts shared by every editor of the module. Each cache has its
// own lock, held only while searching or appending; the entries live until
// the module unloads. [any editor's ui thread]

#include <memory>
#include <mutex>
#include <vector>

#include "EditorTypes.h"

class PIX_IBitmap;
class PIX_CachedFont;

class StripCache {
 public:
  static StripCache& Instance();
  ~StripCache();
  PIX_IBitmap* Find(int resourceId);
  // Keeps the image; when another editor added the same id first, the
  // earlier image stays and is returned.
  PIX_IBitmap* Add(int resourceId, std::unique_ptr<PIX_IBitmap> image);
  int Count();

 private:
  StripCache() = default;
  struct Entry {
    int resourceId;
    std::unique_ptr<PIX_IBitmap> image;
  };
  std::mutex lock_;
  std::vector<Entry> entries_;
};

class FontCache {
 public:
  static FontCache& Instance();
  ~FontCache();
  // The font of a style (size, orientation, weight/italic and face name all
  // match), created on first use; null when the platform cannot make it.
  PIX_CachedFont* FontFor(const TextStyle& style);
  int Count();

 private:
  FontCache() = default;
  struct Entry {
    int size;
    int orientation;
    int style;
    char name[32];
    std::unique_ptr<PIX_CachedFont> font;
  };
  std::mutex lock_;
  std::vector<Entry> entries_;
};
