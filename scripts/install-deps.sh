#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Salute
# need, and only those that are missing. Safe to run again.
set -euo pipefail

packages=(
  # build
  build-essential cmake pkg-config git
  # the program: OpenGL, GLU, JPEG
  libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0 libjpeg62-turbo-dev
  # desktop backend: window, events, music
  libsdl2-dev libsdl2-mixer-dev libx11-dev libxrandr-dev
  # the system font as bitmaps
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  # data generators, capture and video
  libvorbis-dev libogg-dev libpng-dev libcli11-dev
  libavcodec-dev libavformat-dev libswscale-dev libswresample-dev libavutil-dev
  # tests
  libgtest-dev xvfb xauth xdotool ffmpeg libebur128-dev clang libclang-rt-14-dev
  # reliability checks: static analysis, the desktop fault cases' X tools;
  # the desktop test harness (Xlib, keys through XTest)
  clang-tidy x11-utils libx11-dev libxtst-dev
  # the real mode switch: Xorg with the dummy driver, XRandR and the cursor
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils libxfixes-dev
  # benchmarks: instruction counts and the frame-time plot
  valgrind gnuplot-nox
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
  else
    echo "These Debian packages are missing and installing them needs root: ${missing[*]}" >&2
    echo "Run this script as root, or install them with: apt-get install ${missing[*]}" >&2
    exit 1
  fi
else
  SUDO=()
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
