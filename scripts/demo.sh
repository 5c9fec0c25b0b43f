#!/usr/bin/env bash
# The main job on the built-in example: builds velto-render and renders the
# example through every factory preset into a folder, with a summary table.
# Usage: scripts/demo.sh [FOLDER]   (default: velto-demo)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-velto-demo}

scripts/setup.sh --no-windows
cmake --preset linux ${BUILD_DIR:+-B "$BUILD_DIR"} >/dev/null
# Everything the install rule copies, so `cmake --install build/linux` works afterwards.
cmake --build ${BUILD_DIR:-build/linux} -j"$(nproc 2>/dev/null || echo 2)" --target velto_installables
render=${BUILD_DIR:-build/linux}/tools/velto-render/velto-render

mkdir -p "$out"
"$render" --seed 1 --quiet "$out/00-example-bypass.wav" --set kBypass=1
printf '\n%-22s %-28s %s\n' "preset" "file" "left / right: out peak, out rms (dBFS)"
for slot in 0 1 2 3 4 5 6; do
  name=$("$render" --list-presets | awk -v s="$slot" '$1 == s { $1 = ""; sub(/^ /, ""); print }')
  file="$out/$(printf '%02d' $((slot + 1)))-$(echo "$name" | tr ' ' '-' | tr -cd 'A-Za-z0-9-' | sed 's/^-$/default/').wav"
  summary=$("$render" --seed 1 --preset "$slot" "$file")
  levels=$(echo "$summary" | awk '/out peak/ { printf "%s %s / ", $11, $14 }' | sed 's| / $||')
  speed=$(echo "$summary" | awk '/real time/ { print $5 }')
  printf '%-22s %-28s %s  (%sx real time)\n' "$name" "$(basename "$file")" "$levels" "$speed"
done
echo
echo "The input itself is in $out/00-example-bypass.wav (Velto bypassed)."
echo "Render your own file: $render [--preset NAME] [--set kDrive=6] INPUT.wav OUTPUT.wav"
