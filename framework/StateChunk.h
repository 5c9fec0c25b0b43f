#pragma once
// Growable little-endian byte buffer for parameter state, presets and the
// chunks handed to hosts. Values are appended at the end and read back at a
// caller-held position; a read that would run past the end (or starts at a
// negative position) gives the position -1 and leaves the output untouched.

#include <cstddef>
#include <cstdint>
#include <vector>

class StateChunk {
 public:
  void PutDouble(double v);
  void PutInt32(int32_t v);
  void PutByte(uint8_t v);
  // 32-bit length, then the bytes without terminator.
  void PutText(const char* text);
  void PutBytes(const void* data, int size);
  void PutChunk(const StateChunk& other) { PutBytes(other.Data(), other.Size()); }

  int GetDouble(double* v, int pos) const;
  int GetInt32(int32_t* v, int pos) const;
  int GetByte(uint8_t* v, int pos) const;
  int GetBytes(void* dest, int size, int pos) const;

  int Size() const { return static_cast<int>(bytes_.size()); }
  const uint8_t* Data() const { return bytes_.data(); }
  uint8_t* Data() { return bytes_.data(); }
  void Clear() { bytes_.clear(); }  // keeps the capacity
  void Reserve(int size) { if (size > 0) bytes_.reserve(static_cast<std::size_t>(size)); }
  // Replaces the contents with size bytes copied from data (zeros when data is
  // null). Negative sizes count as 0.
  void Assign(const void* data, int size);
  // True when size bytes starting at pos lie inside the chunk.
  bool Has(int pos, int size) const;
  bool operator==(const StateChunk& other) const { return bytes_ == other.bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};
