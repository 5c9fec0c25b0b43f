#pragma once
// The "PNG" resources compiled into the module that holds this code.

#include <cstddef>

struct ResourceBytes {
  const unsigned char* data = nullptr;  // lives as long as the module
  size_t length = 0;
};

// The bytes of the "PNG" resource with this id; empty when the module has
// none. [any thread]
ResourceBytes FindPngResource(int resourceId);
