#pragma once
// The counting checks of the module check programs, which run on Linux and
// under Wine without a test framework: one line per failed check, and a
// closing "N passed, N failed" that ctest reads.

#include <cstdio>

namespace plainchecks {
inline int gPassed = 0;
inline int gFailed = 0;
inline const char* gGroup = "";  // the group the failures are reported under
}  // namespace plainchecks

#define CHECK(cond)                                                                                      \
  do {                                                                                                   \
    if (cond) {                                                                                          \
      ++plainchecks::gPassed;                                                                            \
    } else {                                                                                             \
      ++plainchecks::gFailed;                                                                            \
      std::printf("FAILED [%s] %s:%d: %s\n", plainchecks::gGroup, __FILE__, __LINE__, #cond);            \
    }                                                                                                    \
  } while (0)
