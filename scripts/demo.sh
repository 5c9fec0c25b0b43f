#!/usr/bin/env bash
# The main job on the built-in example.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --no-windows
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc 2>/dev/null || echo 2)"
if [ -x build/linux/tools/velto-render/velto-render ]; then
  echo "velto-render is built."
else
  echo "The framework and the DSP libraries are built; velto-render is not there yet."
fi
