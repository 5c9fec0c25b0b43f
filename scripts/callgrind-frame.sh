#!/bin/bash
# Instructions per stereo frame inside a VST2 module's 64-bit process call,
# counted by callgrind while velto-render runs the built-in example through it.
# The count is stable on a loaded machine, unlike wall-clock time.
#
#   scripts/callgrind-frame.sh [BUILD_DIR] [SAMPLE_RATE] [PRESET]
#   e.g. scripts/callgrind-frame.sh build/linux 44100 0
set -euo pipefail
build=${1:-build/linux}
rate=${2:-44100}
preset=${3:-0}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" --toggle-collect='*VSTProcessDoubles*' \
  "$build/tools/velto-render/velto-render" --module "$build/bindings/vst2/Velto.so" \
  --sample-rate "$rate" --preset "$preset" --quiet --format float "$work/out.wav" >/dev/null 2>&1
instructions=$(callgrind_annotate --auto=no "$work/cg.out" 2>/dev/null | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1; exit }')

# Frames from the output file's data chunk (stereo, 32-bit float).
python3 - "$work/out.wav" "$instructions" "$rate" "$preset" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
pos, frames = 12, 0
while pos + 8 <= len(data):
    tag, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
    if tag == b'data':
        frames = size // 8
        break
    pos += 8 + size + (size & 1)
print('rate %s preset %s: %d frames, %.0f instructions per frame'
      % (sys.argv[3], sys.argv[4], frames, int(sys.argv[2]) / frames))
PY
