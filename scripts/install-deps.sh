#!/usr/bin/env bash
# Installs the Debian packages Salute needs, and only those that are
# missing. Safe to run again.
#   install-deps.sh          what building and running need (./run.sh)
#   install-deps.sh --tests  that, and what the tests and benchmarks need (./test.sh)
#   install-deps.sh --windows  that, and Wine for the Windows program's tests
#   install-deps.sh --packages PACKAGE...  just these (the extra builds' tools)
set -euo pipefail

packages=(
  # build
  build-essential cmake pkg-config git
  # the program: OpenGL, GLU, JPEG
  libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0 libjpeg62-turbo-dev
  # desktop backend: window, events, music; Xlib for the display's loss,
  # the Wayland client library to look at a compositor before SDL does,
  # XRandR for the mode's guardian
  libsdl2-dev libsdl2-mixer-dev libx11-dev libwayland-dev libxrandr-dev
  # the system font as bitmaps
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  # data generators, capture and video
  libvorbis-dev libogg-dev libpng-dev libcli11-dev libebur128-dev
  libavcodec-dev libavformat-dev libswscale-dev libswresample-dev libavutil-dev
)

test_packages=(
  # tests: GoogleTest, the media checks, the fuzzer's compiler, packaging (cpack needs file)
  libgtest-dev ffmpeg clang libclang-rt-14-dev file
  # the desktop tests: virtual X servers, X tools, keys through XTest; the
  # sound server and the Wayland compositor
  xvfb xauth xdotool x11-utils libxtst-dev pulseaudio pulseaudio-utils weston
  # the real mode switch: Xorg with the dummy driver, xrandr, the cursor's image
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils libxfixes-dev
  # a window manager, and the screen saver's extension
  openbox libxss-dev
  # static analysis
  clang-tidy
  # benchmarks: instruction counts and the frame-time plot
  valgrind gnuplot-nox
  # the package's checks: Debian policy, AppStream metadata
  lintian appstream
)

case "${1:-}" in
--tests) packages+=("${test_packages[@]}") ;;
--windows) packages+=("${test_packages[@]}" wine wine64) ;;
--packages) shift; packages=("$@") ;;
"") ;;
*) echo "usage: install-deps.sh [--tests | --windows | --packages PACKAGE...]" >&2; exit 2 ;;
esac

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
"${SUDO[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
"${SUDO[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
