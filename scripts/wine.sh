#!/bin/sh
# Runs a Windows program under Wine: 64-bit programs with Wine's 64-bit
# loader, others with Debian's `wine`. Debian's `wine` starts the 32-bit
# loader whenever wine32 is installed, even for a 64-bit program, and a
# kernel built without 32-bit support cannot start that loader at all; the
# 64-bit loader needs no 32-bit support.
# Usage: scripts/wine.sh PROGRAM.exe [ARGS...]
set -e
program=$1
wine64=/usr/lib/wine/wine64
[ -n "$WINEDEBUG" ] || export WINEDEBUG=fixme-all
# The PE header's offset is at 0x3c; its machine field follows "PE\0\0".
header=$(od -An -tu4 -j60 -N4 "$program" 2>/dev/null | tr -d ' ')
machine=$(od -An -tx2 -j$((header + 4)) -N2 "$program" 2>/dev/null | tr -d ' ')
if [ "$machine" = 8664 ] && [ -x "$wine64" ]; then
  export WINELOADER="$wine64"
  exec "$wine64" "$@"
fi
exec wine "$@"
