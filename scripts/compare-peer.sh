#!/bin/bash
# Time per stereo frame of Velto's VST2 module against a 4x-oversampling peer
# (Debian's lsp-plugins limiter, "Full x4"), both run by velto-render's host
# harness with 64-bit buffers over the same 30 s input, in turns, in one run.
# Prints each run's ns per frame (the processor time velto-render's thread
# spends inside the plug-in's process calls, without reading and writing the
# files) and the median ratio Velto / peer.
#
# Both run on the same processor (CPU, default 0), so a pair is not split
# between a quiet processor and a busy one.
#
#   [CPU=N] scripts/compare-peer.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build/linux}
runs=${2:-7}
render="$build/tools/velto-render/velto-render"
peer=/usr/lib/vst/lsp-plugins/limiter-stereo.so
[ -f "$peer" ] || { echo "no $peer (apt-get install lsp-plugins-vst)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work/in.wav" <<'PY'
import math, random, struct, sys
rate, seconds = 44100, 30
random.seed(1)
frames = bytearray()
for n in range(rate * seconds):
    t = n / rate
    l = 0.4 * math.sin(2 * math.pi * 110 * t) + 0.2 * math.sin(2 * math.pi * 1750 * t) + 0.05 * (random.random() - 0.5)
    r = 0.4 * math.sin(2 * math.pi * 165 * t + 1) + 0.2 * math.sin(2 * math.pi * 2900 * t) + 0.05 * (random.random() - 0.5)
    frames += struct.pack('<ff', l, r)
header = struct.pack('<4sI4s4sIHHIIHH4sI', b'RIFF', 36 + len(frames), b'WAVE', b'fmt ', 16, 3, 2, rate,
                     rate * 8, 8, 32, b'data', len(frames))
open(sys.argv[1], 'wb').write(header + frames)
PY

pin=()
command -v taskset >/dev/null && pin=(taskset -c "${CPU:-0}")
per_frame() {  # module [args...] -> ns per frame
  "${pin[@]}" "$render" --module "$@" "$work/in.wav" "$work/out.wav" 2>&1 |
    sed -n 's/.*in the plug-in .* \([0-9.]*\) ns per frame.*/\1/p' | awk '{ printf "%.0f\n", $1 }'
}
velto=() peer_ns=()
for ((i = 0; i < runs; i++)); do
  velto+=("$(per_frame "$build/bindings/vst2/Velto.so")")
  peer_ns+=("$(per_frame "$peer" --set ovs=0.8)")
done
python3 - "${velto[*]}" "${peer_ns[*]}" <<'PY'
import statistics, sys
v = [int(x) for x in sys.argv[1].split()]
p = [int(x) for x in sys.argv[2].split()]
print('velto ns/frame:', v, 'median', statistics.median(v))
print('peer  ns/frame:', p, 'median', statistics.median(p))
print('ratio velto/peer, run by run:', ['%.2f' % (a / b) for a, b in zip(v, p)],
      'median %.2f' % statistics.median(a / b for a, b in zip(v, p)))
PY
