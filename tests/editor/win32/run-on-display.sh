#!/bin/sh
# Runs a Windows test program under Wine on a virtual X display of its own.
# Usage: run-on-display.sh <emulator> <program> [args...]
#
# One Wine server serves every Wine program of the prefix and stays a few
# seconds after the last one: a server started by a test without a display
# would give this program windows that draw nowhere. So wait for that server
# to go first, and let this program's server go before its display does.
emulator=$1
shift
wineserver -w
exec xvfb-run -a -s "-screen 0 1024x768x24" sh -c '"$@"; status=$?; wineserver -w; exit $status' run "$emulator" "$@"
