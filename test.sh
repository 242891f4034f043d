#!/usr/bin/env bash
# Builds Salute and runs the whole test suite. Non-zero exit on any failure.
#   ./test.sh              the suite (without the long runs), then the picture
#                          tests again on the OpenGL ES layer, in build-gles/
#   ./test.sh --sanitize   the suite built with ASan + UBSan, in build-sanitize/,
#                          then the capture tests built with TSan, in build-tsan/
#   ./test.sh --long       only the long runs: the whole presentation under
#                          valgrind, and the soak (about 20 minutes)
#   ./test.sh --web        the browser build and its page in headless Chromium
#   ./test.sh --windows    the Windows build (scripts/build-windows.sh), then
#                          its tests under Wine (label windows)
# Further arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")"
mode=default
case "${1:-}" in
--sanitize) mode=sanitize; shift ;;
--long) mode=long; shift ;;
--web) shift; exec scripts/test-web.sh "$@" ;;
--windows) mode=windows; shift ;;
esac
if [ "$mode" = sanitize ]; then
  scripts/install-deps.sh --tests
  scripts/sanitize.sh "$@"
  exec scripts/sanitize.sh --thread "$@"
fi
if [ "$mode" = windows ]; then
  scripts/install-deps.sh --windows
  scripts/build.sh --tests
  scripts/build-windows.sh
  cd build
  exec ctest --output-on-failure -L windows "$@"
fi
scripts/build.sh --tests
if [ "$mode" = long ]; then
  # One at a time: the soak measures the desktop program's frame rate.
  cd build && exec ctest --output-on-failure -L 'soak|valgrind' "$@"
fi
(cd build && ctest --output-on-failure -j"$(nproc)" -LE 'soak|valgrind|windows' "$@")
# The same pictures drawn through the OpenGL ES layer: the golden frames, the
# font's glyph texture against its display lists, and the text drawn larger.
[ -f build-gles/CMakeCache.txt ] || cmake -S . -B build-gles -DCMAKE_BUILD_TYPE=Release -DSALUTE_GL=gles >/dev/null
cmake --build build-gles -j"$(nproc)"
cd build-gles && ctest --output-on-failure -j"$(nproc)" "$@"
