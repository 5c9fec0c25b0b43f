// Resources compiled in as byte arrays (EmbeddedImages.cpp, generated at build time).

#include "ModuleResources.h"

struct EmbeddedResource {
  int id;
  const unsigned char* data;
  size_t length;
};
extern const EmbeddedResource kEmbeddedPngResources[];
extern const int kEmbeddedPngResourceCount;

ResourceBytes FindPngResource(int resourceId) {
  for (int i = 0; i < kEmbeddedPngResourceCount; ++i) {
    const EmbeddedResource& r = kEmbeddedPngResources[i];
    if (r.id == resourceId) return {r.data, r.length};
  }
  return {};
}
