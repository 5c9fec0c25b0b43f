#!/usr/bin/env bash
# The install rule: a default install fills the user's plug-in folders and
# ~/.local/bin, a prefix install PREFIX/lib/{vst,vst3} and PREFIX/bin, and
# the installed tool runs the installed modules.
# Usage: install_test.sh BUILD_DIR USER_HOME   (HOME as the build was configured)
set -euo pipefail
build=$1
home=${2:-}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Default prefix, staged under DESTDIR so the real home stays untouched
# (a build configured without HOME has no user folders to go to).
if [ -n "$home" ]; then
  DESTDIR="$scratch/stage" cmake --install "$build" >/dev/null
  user="$scratch/stage$home"
  for f in .vst/Velto.so .vst3/Velto.vst3/Contents/x86_64-linux/Velto.so .local/bin/velto-render; do
    [ -f "$user/$f" ] || fail "default install has no ~/$f"
  done
fi

# A prefix of its own: the system layout, nothing in the home folders.
cmake --install "$build" --prefix "$scratch/usr" >/dev/null
for f in lib/vst/Velto.so lib/vst3/Velto.vst3/Contents/x86_64-linux/Velto.so bin/velto-render; do
  [ -f "$scratch/usr/$f" ] || fail "prefix install has no PREFIX/$f"
done
[ -x "$scratch/usr/bin/velto-render" ] || fail "the installed tool is not executable"

# The installed tool renders through each installed module.
for module in "$scratch/usr/lib/vst/Velto.so" "$scratch/usr/lib/vst3/Velto.vst3"; do
  "$scratch/usr/bin/velto-render" --quiet --module "$module" "$scratch/out.wav" || fail "render through $module"
  [ -s "$scratch/out.wav" ] || fail "no output through $module"
done
echo "install layout OK"
