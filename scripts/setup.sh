#!/usr/bin/env bash
# Installs the Debian packages that ShowForge builds and tests with, where they are missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libmpv-dev zlib1g-dev libdeflate-dev liblzma-dev libjpeg62-turbo-dev libtiff-dev
  libxcb1-dev libfontconfig-dev libpng-dev libgif-dev libstb-dev
  libgtest-dev libgmock-dev libbenchmark-dev xvfb xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils xauth xdotool x11-utils imagemagick ffmpeg fonts-dejavu-core
  clang libclang-rt-14-dev lld dpkg-dev groff-base desktop-file-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
