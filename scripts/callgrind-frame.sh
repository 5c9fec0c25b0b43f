#!/bin/bash
# Instructions per stereo frame inside a VST2 module's 64-bit process call,
# counted by callgrind while velto-render runs the built-in example through it.
# The count is stable on a loaded machine, unlike wall-clock time. It is
# divided by every frame the module processed (velto-render's summary gives
# them: the example, the pre-roll of silence and the latency flush).
#
#   scripts/callgrind-frame.sh [BUILD_DIR] [SAMPLE_RATE] [PRESET]
#   e.g. scripts/callgrind-frame.sh build/linux 44100 0
set -euo pipefail
build=${1:-build/linux}
rate=${2:-44100}
preset=${3:-0}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

summary=$(valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" --toggle-collect='*VSTProcessDoubles*' \
  "$build/tools/velto-render/velto-render" --module "$build/bindings/vst2/Velto.so" \
  --sample-rate "$rate" --preset "$preset" --format float "$work/out.wav" 2>&1)
frames=$(echo "$summary" | sed -n 's/.*in the plug-in .* for \([0-9]*\) frames.*/\1/p')
instructions=$(callgrind_annotate --auto=no "$work/cg.out" 2>/dev/null | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1; exit }')
if [ -z "$frames" ] || [ -z "$instructions" ]; then
  echo "callgrind-frame.sh: no count (velto-render said: $summary)" >&2
  exit 1
fi
echo "rate $rate preset $preset: $frames frames processed, $((instructions / frames)) instructions per frame"
