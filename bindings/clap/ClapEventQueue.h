#pragma once
// Editor edits waiting for the host: gesture begin, value, gesture end, in the
// order they happened. Fixed capacity, so neither side allocates; the owner
// guards it with the plug-in lock.
//
// A value that follows a value of the same parameter replaces it (a drag
// produces many; the host only needs the latest between two deliveries).
// When the queue is full a new value is dropped, and a gesture whose begin
// had no room loses its end as well, so the host never sees an end without
// a begin.

#include <array>
#include <cstdint>
#include <vector>

class ClapEventQueue {
 public:
  enum class Kind : uint8_t { kBegin, kValue, kEnd };
  struct Entry {
    Kind kind = Kind::kValue;
    uint32_t param = 0;
    double value = 0.0;  // plain value, for kValue
  };
  static constexpr int kCapacity = 256;

  explicit ClapEventQueue(int paramCount) : beginDropped_(paramCount > 0 ? paramCount : 0, false) {}

  void Push(Kind kind, uint32_t param, double value = 0.0) {
    const bool known = param < beginDropped_.size();
    if (kind == Kind::kValue && count_ > 0) {
      Entry& last = entries_[count_ - 1];
      if (last.kind == Kind::kValue && last.param == param) {
        last.value = value;
        return;
      }
    }
    if (kind == Kind::kEnd && known && beginDropped_[param]) {
      beginDropped_[param] = false;
      return;
    }
    if (count_ == kCapacity) {
      if (kind == Kind::kBegin && known) beginDropped_[param] = true;
      return;
    }
    entries_[count_++] = Entry{kind, param, value};
  }

  int Size() const { return count_; }
  const Entry& At(int i) const { return entries_[i]; }
  // Removes the first n entries (those the host accepted).
  void Consume(int n) {
    if (n <= 0) return;
    if (n >= count_) {
      count_ = 0;
      return;
    }
    for (int i = n; i < count_; ++i) entries_[i - n] = entries_[i];
    count_ -= n;
  }

 private:
  std::array<Entry, kCapacity> entries_{};
  int count_ = 0;
  std::vector<bool> beginDropped_;
};
