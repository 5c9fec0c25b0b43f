#!/usr/bin/env bash
# Builds everything and runs every test: the Linux tests (with the modules in
# Debian's Ardour), the same tests under AddressSanitizer +
# UndefinedBehaviorSanitizer, the thread tests under ThreadSanitizer, the
# fuzz targets over a fixed number of inputs each, and the
# Windows cross-builds with their module tests under Wine.
# Usage: scripts/test.sh [--quick]   (--quick skips the sanitizer and Windows builds)
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
[ "${1:-}" = "--quick" ] && quick=1
jobs=$(nproc 2>/dev/null || echo 2)

scripts/setup.sh

step() { echo; echo "=== $*"; }

step "Linux build and tests"
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$jobs"
ctest --preset linux -j"$jobs"

if [ "$quick" = 0 ]; then
  step "Sanitizer build and tests (AddressSanitizer + UndefinedBehaviorSanitizer)"
  cmake --preset linux-asan >/dev/null
  cmake --build --preset linux-asan -j"$jobs"
  ctest --preset linux-asan -j"$jobs"

  step "Thread tests under ThreadSanitizer"
  cmake --preset linux-tsan >/dev/null
  cmake --build --preset linux-tsan -j"$jobs" --target velto_thread_tests
  ctest --preset linux-tsan

  step "Fuzz targets (clang, libFuzzer), a fixed number of inputs each"
  cmake --preset linux-fuzz >/dev/null
  cmake --build --preset linux-fuzz -j"$jobs" --target velto_fuzz_targets
  ctest --preset linux-fuzz

  for target in win64 win32; do
    step "Windows cross-build and module tests under Wine: $target"
    cmake --preset "$target" >/dev/null
    cmake --build --preset "$target" -j"$jobs"
    ctest --preset "$target"
  done
fi
echo
echo "All tests passed."
