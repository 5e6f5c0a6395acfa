#!/bin/bash
# Installs the Debian packages that building, running and testing need,
# skipping the ones already present. Uses sudo when not root.
set -euo pipefail
packages=(
  cmake make g++ g++-mingw-w64-x86-64 libgtest-dev googletest
  wine wine64 fonts-wine fonts-liberation fonts-wqy-microhei xvfb xauth xdotool x11-utils
  imagemagick ffmpeg libjpeg-turbo-progs libturbojpeg0-dev python3 python3-pil
  clang libclang-rt-14-dev clang-format python3-skimage python3-numpy time
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
