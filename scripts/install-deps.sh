#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Ordwell need.
# Safe to run again: apt-get skips what is already there. Needs root (or sudo).
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git ca-certificates clang-format
  # program
  qt6-base-dev qt6-svg-dev libqt6svg6 qt6-image-formats-plugins libcurl4-openssl-dev
  libcpp-httplib-dev libssl-dev libsqlite3-dev libzstd-dev
  # extraction server
  libpoppler-cpp-dev libarchive-dev libxml2-dev libgmime-3.0-dev libgsf-1-dev libuchardet-dev
  libwpd-dev librevenge-dev
  antiword catdoc poppler-utils djvulibre-bin
  # fuzzing (scripts/fuzz.sh): clang's libFuzzer and sanitizer runtimes, llvm-symbolizer
  clang-14 libclang-rt-14-dev llvm-14
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev googletest xvfb xauth imagemagick
  dbus-daemon
  desktop-file-utils appstream
  # packaging (cpack's dpkg-shlibdeps and file; rsvg-convert for packaging/render-icons.sh)
  dpkg-dev file librsvg2-bin
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
