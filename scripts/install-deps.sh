#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test the program.
# Runs as root, or through sudo as an ordinary user; packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev libqt6sql6-sqlite libsqlite3-dev
  libmpv-dev mpv ffmpeg libffmpegthumbnailer-dev ffmpegthumbnailer
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev
  fonts-noto-cjk
  xvfb xauth x11-utils xdotool imagemagick
  desktop-file-utils appstream dpkg-dev lintian file groff-base
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update
"${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
