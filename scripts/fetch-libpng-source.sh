#!/usr/bin/env bash
# Debian has no libpng for mingw-w64, so the Windows builds compile libpng
# from Debian's own source package (with Debian's patches applied). This
# puts it into /usr/local/src/velto-deps/libpng, where cmake/MingwPng.cmake
# looks for it. Idempotent; needs root (or sudo) the first time.
set -euo pipefail

dest=/usr/local/src/velto-deps
[ -f "$dest/libpng/png.c" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

# Source packages come from deb-src entries beside the system's deb ones.
src_list=/etc/apt/sources.list.d/velto-deb-src.sources
if ! apt-cache showsrc libpng1.6 2>/dev/null | grep -q '^Version:'; then
  $SUDO tee "$src_list" >/dev/null <<'LIST'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
LIST
  $SUDO apt-get update -qq
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# The newest listed version first; a mirror may lack the newest files, so
# fall back to the older versions apt lists.
fetched=0
for version in $(apt-cache showsrc libpng1.6 | sed -n 's/^Version: //p' | sort -rV | uniq); do
  if apt-get source -qq "libpng1.6=$version" >/dev/null 2>&1; then
    fetched=1
    break
  fi
done
[ "$fetched" = 1 ] || { echo "fetch-libpng-source: could not fetch Debian's libpng1.6 source" >&2; exit 1; }
dir=$(find . -maxdepth 1 -type d -name 'libpng1.6-*' | head -n1)
[ -n "$dir" ] && [ -f "$dir/png.c" ] || { echo "fetch-libpng-source: unexpected source layout" >&2; exit 1; }
$SUDO mkdir -p "$dest"
$SUDO rm -rf "$dest/libpng"
$SUDO cp -r "$dir" "$dest/libpng"
echo "fetch-libpng-source: $(basename "$dir") in $dest/libpng"
