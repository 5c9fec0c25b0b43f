#!/bin/sh
# Runs the VST3 bundle in Debian's Ardour 7; exit 77 (skipped) when Ardour or
# the render script is not installed.
#   run-ardour.sh scan   ARDOUR_DIR BUNDLE
#   run-ardour.sh render ARDOUR_DIR BUNDLE SCRIPT OUT.wav
mode=$1 ardour=$2 bundle=$3
[ -x "$ardour/ardour-vst3-scanner" ] || { echo "Ardour 7 is not installed: skipped"; exit 77; }
so="$bundle/Contents/x86_64-linux/$(basename "$bundle" .vst3).so"
# Ardour trusts its scan cache only when it is newer than the module; a module
# linked within the last seconds can tie with the cache entry's time stamp.
now=$(date +%s)
built=$(stat -c %Y "$so") || exit 1
[ $((now - built)) -lt 3 ] && sleep 3
case $mode in
  scan)
    out=$(LD_LIBRARY_PATH="$ardour" "$ardour/ardour-vst3-scanner" -f -v "$bundle" 2>&1)
    status=$?
    echo "$out"
    [ $status -eq 0 ] && echo "$out" | grep -q "Found Plugin: Velto"
    ;;
  render)
    script=$4 wav=$5
    [ -f "$script" ] || { echo "no render script at $script: skipped"; exit 77; }
    command -v ardour7-lua >/dev/null || { echo "ardour7-lua is not installed: skipped"; exit 77; }
    rm -f "$wav"
    . "$(dirname "$0")/../../support/ardour.sh"
    ardour_isolate "$wav.work" || exit 1
    ardour_lua "$script" "$bundle" "$wav" param=Mix:50
    echo "$out"
    echo "$out" | grep -q "^ardour-render: OK" && [ -s "$wav" ]
    ;;
  *) echo "unknown mode $mode"; exit 2 ;;
esac
