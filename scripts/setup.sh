#!/usr/bin/env bash
# Installs what building and testing Velmora needs, once, and any further packages named as arguments (the
# benchmarks' own). Quiet when everything is there.
set -euo pipefail

packages=(
  cmake make g++ ninja-build
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  libz-mingw-w64-dev zlib1g-dev googletest libgtest-dev
  wine wine64 xvfb xdotool x11-utils xclip imagemagick fonts-wqy-microhei
  python3-docx python3-lxml python3-pytest
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
