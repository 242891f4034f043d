#!/usr/bin/env bash
# Builds Salute and starts the presentation from build/, where the program,
# its music and its pictures lie side by side. Without a display it renders
# the presentation to salute.mp4 instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/build.sh
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display here: rendering the presentation to $PWD/salute.mp4 instead."
  build/salute-capture --data build --video salute.mp4
  echo "Done: play $PWD/salute.mp4 (e.g. ffplay salute.mp4, or open it in a browser)."
  exit 0
fi
cd build
exec ./salute
