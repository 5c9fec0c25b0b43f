#include "StateChunk.h"

#include <cstring>

namespace {
void StoreLE(std::vector<uint8_t>& out, uint64_t bits, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}
uint64_t LoadLE(const uint8_t* p, int bytes) {
  uint64_t bits = 0;
  for (int i = 0; i < bytes; ++i) bits |= static_cast<uint64_t>(p[i]) << (8 * i);
  return bits;
}
}  // namespace

void StateChunk::PutDouble(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  StoreLE(bytes_, bits, 8);
}

void StateChunk::PutInt32(int32_t v) { StoreLE(bytes_, static_cast<uint32_t>(v), 4); }

void StateChunk::PutByte(uint8_t v) { bytes_.push_back(v); }

void StateChunk::PutText(const char* text) {
  const int len = text ? static_cast<int>(std::strlen(text)) : 0;
  PutInt32(len);
  PutBytes(text, len);
}

void StateChunk::PutBytes(const void* data, int size) {
  if (!data || size <= 0) return;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), p, p + size);
}

bool StateChunk::Has(int pos, int size) const {
  return pos >= 0 && size >= 0 && static_cast<int64_t>(pos) + size <= Size();
}

int StateChunk::GetDouble(double* v, int pos) const {
  if (!Has(pos, 8)) return -1;
  const uint64_t bits = LoadLE(bytes_.data() + pos, 8);
  std::memcpy(v, &bits, 8);
  return pos + 8;
}

int StateChunk::GetInt32(int32_t* v, int pos) const {
  if (!Has(pos, 4)) return -1;
  *v = static_cast<int32_t>(static_cast<uint32_t>(LoadLE(bytes_.data() + pos, 4)));
  return pos + 4;
}

int StateChunk::GetByte(uint8_t* v, int pos) const {
  if (!Has(pos, 1)) return -1;
  *v = bytes_[pos];
  return pos + 1;
}

int StateChunk::GetBytes(void* dest, int size, int pos) const {
  if (!Has(pos, size)) return -1;
  if (size > 0) std::memcpy(dest, bytes_.data() + pos, size);
  return pos + size;
}

void StateChunk::Assign(const void* data, int size) {
  if (size < 0) size = 0;
  bytes_.assign(static_cast<size_t>(size), 0);
  if (data && size > 0) std::memcpy(bytes_.data(), data, size);
}
