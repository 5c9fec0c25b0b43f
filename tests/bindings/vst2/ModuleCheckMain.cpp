// The runner of the module checks in builds without GoogleTest.

#include <cstdio>
#include <string>
#include <vector>

#include "ModuleCheck.h"

namespace modcheck {
namespace {
struct Entry {
  const char* group;
  const char* name;
  TestFunction fn;
};
std::vector<Entry>& Registry() {
  static std::vector<Entry> entries;
  return entries;
}
const Entry* gRunning = nullptr;
int gPassed = 0;
int gFailed = 0;
}  // namespace

Registrar::Registrar(const char* group, const char* name, TestFunction fn) {
  Registry().push_back({group, name, fn});
}

bool Report(bool ok, const char* file, int line, const std::string& what) {
  if (ok) {
    ++gPassed;
    return true;
  }
  ++gFailed;
  std::printf("FAILED %s.%s %s:%d: %s\n", gRunning ? gRunning->group : "?", gRunning ? gRunning->name : "?",
              file, line, what.c_str());
  std::fflush(stdout);
  return false;
}
}  // namespace modcheck

int main() {
  using namespace modcheck;
  for (const Entry& entry : Registry()) {
    gRunning = &entry;
    entry.fn();
  }
  std::printf("%d passed, %d failed\n", gPassed, gFailed);
  return gFailed == 0 ? 0 : 1;
}
