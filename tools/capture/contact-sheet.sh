#!/usr/bin/env bash
# Makes the contact sheet of the presentation: twelve frames across the
# timeline, rendered by salute-capture and tiled 4 x 3 into one PNG.
#
#   tools/capture/contact-sheet.sh [BUILD_DIR] [OUTPUT.png]
#
# Defaults: build/ and docs/frames.png. Needs ffmpeg for the tiling.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
output=${2:-docs/frames.png}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

times=3,11,19,27,35,43,51,59,67,75,83,91
# Ten frames a second lands exactly on these times and renders quickly.
"$build/salute-capture" --data "$build" --fps 10 --frames-at "$times" --png "$work" --size 240x180 --quiet
mkdir -p "$(dirname "$output")"
# One 256-colour palette for the sheet keeps the file small for the README.
ffmpeg -v error -y -i "$work/%04d.png" -frames:v 1 -filter_complex \
  "tile=4x3:padding=4:margin=4:color=0x202020,split[a][b];[a]palettegen=max_colors=256:stats_mode=full[p];[b][p]paletteuse=dither=sierra2_4a" \
  "$output"
echo "wrote $output ($(du -k "$output" | cut -f1) kB): frames at $times s"
