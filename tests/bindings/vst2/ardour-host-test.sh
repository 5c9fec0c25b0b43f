#!/bin/sh
# Runs the module in Debian's Ardour 7 without its GUI.
#   ardour-host-test.sh scan|list|render MODULE RENDER_SCRIPT WORK_DIR
# Exits 77 (skipped) when Ardour or the render script is not there.
mode=$1 module=$2 script=$3 work=$4
scanner=/usr/lib/ardour7/ardour-vst-scanner

if [ ! -x "$scanner" ] || ! command -v ardour7-lua >/dev/null 2>&1; then
  echo "SKIP: Ardour 7 is not installed"
  exit 77
fi
if [ "$mode" != scan ] && [ ! -f "$script" ]; then
  echo "SKIP: $script is missing"
  exit 77
fi

. "$(dirname "$0")/../../support/ardour.sh"
ardour_isolate "$work" || exit 1

case "$mode" in
  scan)
    out=$(LD_LIBRARY_PATH=/usr/lib/ardour7 "$scanner" -f -v "$module" 2>&1)
    echo "$out"
    echo "$out" | grep -q "Found Plugin: 't4Xa' Velto" || { echo "FAIL: the scanner did not find the plug-in"; exit 1; }
    ;;
  list)
    ardour_lua "$script" "$module" list=1
    echo "$out"
    echo "$out" | grep -q "^ardour-render: OK" || { echo "FAIL: no parameter list"; exit 1; }
    rows=$(echo "$out" | grep -cE '^# +[0-9]+ ')
    [ "$rows" -eq 21 ] || { echo "FAIL: $rows parameters listed, 21 expected"; exit 1; }
    echo "$out" | grep -qE '^# +0 +In Gain ' || { echo "FAIL: parameter 0 is not In Gain"; exit 1; }
    echo "$out" | grep -qE '^# +20 +Velto ' || { echo "FAIL: parameter 20 is not Velto"; exit 1; }
    ;;
  render)
    ardour_lua "$script" "$module" "$work/out.wav" seconds=1 "param=Drive Gain:0.8" param=Mix:0.5 block=256
    echo "$out"
    echo "$out" | grep -q "^ardour-render: OK" || { echo "FAIL: the render did not succeed"; exit 1; }
    [ -s "$work/out.wav" ] || { echo "FAIL: no output file"; exit 1; }
    ;;
  *)
    echo "usage: $0 scan|list|render MODULE RENDER_SCRIPT WORK_DIR"
    exit 2
    ;;
esac
exit 0
