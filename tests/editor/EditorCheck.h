#pragma once
// The check macros of the module tests, with vectors printable by the plain
// runner of the Windows builds (GoogleTest prints them itself).

#include <ostream>
#include <string>
#include <vector>

#if !defined(VELTO_CHECKS_WITH_GTEST)
template <class T>
std::ostream& operator<<(std::ostream& out, const std::vector<T>& v) {
  out << "{";
  for (size_t i = 0; i < v.size(); ++i) out << (i ? ", " : " ") << v[i];
  return out << " }";
}
#endif

#include "ModuleCheck.h"
