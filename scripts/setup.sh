#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Idempotent and
# quick when everything is there; needs root (or sudo) only when something is
# missing. Usage: scripts/setup.sh [--no-windows] [--dev]
# --dev adds the developer tools: python3-cairo for tools/artwork/.
set -euo pipefail

want_windows=1
want_dev=0
for arg in "$@"; do
  case "$arg" in
    --no-windows) want_windows=0 ;;
    --dev) want_dev=1 ;;
  esac
done

packages=(
  build-essential cmake pkg-config git
  libgtest-dev googletest libbenchmark-dev
  libsndfile1-dev libpng-dev zlib1g-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core libx11-dev libxext-dev libxtst-dev
  xvfb xauth valgrind
  clang libclang-rt-dev
)
# Real hosts for the Linux modules: Ardour 7 (scanners and headless render)
# and other VST2 plug-ins to compare against.
packages+=(ardour lsp-plugins-vst zam-plugins)
# What the prebuilt pluginval beside the checkout (../shared/testers) loads.
packages+=(libasound2 libfreetype6 libpng16-16 zlib1g libbrotli1)
if [ "$want_windows" = 1 ]; then
  packages+=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev dpkg-dev
             wine wine64 wine32:i386)
fi

# Developer tools, not needed to build or test.
[ "$want_dev" = 1 ] && packages+=(python3-cairo)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # 32-bit Wine runs the 32-bit Windows module's tests.
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -q i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if [ "$want_windows" = 1 ]; then
  # The Windows builds compile libpng from Debian's source package.
  "$(dirname "$0")/fetch-libpng-source.sh"
fi
echo "setup: all build and test packages are installed"
