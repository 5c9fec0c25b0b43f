#pragma once
// UTF-8 decoding for text drawing. Internal to the drawing library.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pix {

constexpr uint32_t kReplacementCharacter = 0xFFFD;

// Decodes `length` bytes into code points. Every byte that does not start a
// well-formed sequence (stray continuation bytes, truncated or overlong
// sequences, surrogates, values above U+10FFFF) becomes one U+FFFD, and
// decoding resumes at the next byte, so no input is read past `length`.
void DecodeUtf8(const char* text, size_t length, std::vector<uint32_t>& out);

}  // namespace pix
