#pragma once
// Counts global operator new calls on any thread while an AllocationCounter
// exists. The test executable that uses it links AllocationCounter.cpp, which
// replaces the global allocation functions.

class AllocationCounter {
 public:
  AllocationCounter();
  ~AllocationCounter();
  int Count() const;
};
