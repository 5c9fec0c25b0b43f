#include "Utf8.h"

namespace pix {

void DecodeUtf8(const char* text, size_t length, std::vector<uint32_t>& out) {
  out.clear();
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < length) {
    const unsigned char lead = s[i];
    int extra = 0;
    uint32_t cp = 0, minimum = 0;
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      cp = lead & 0x1F;
      minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      cp = lead & 0x0F;
      minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      cp = lead & 0x07;
      minimum = 0x10000;
    } else {
      out.push_back(kReplacementCharacter);
      ++i;
      continue;
    }
    bool ok = length - i > size_t(extra);
    for (int k = 1; ok && k <= extra; ++k) {
      const unsigned char c = s[i + size_t(k)];
      if ((c & 0xC0) != 0x80) ok = false;
      else cp = (cp << 6) | (c & 0x3F);
    }
    if (!ok || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(kReplacementCharacter);
      ++i;
      continue;
    }
    out.push_back(cp);
    i += size_t(extra) + 1;
  }
}

}  // namespace pix
