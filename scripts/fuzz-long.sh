#!/usr/bin/env bash
# Runs the JPEG fuzzer (or, with "music", the music fuzzer) for a long time,
# keeping what it learns between runs.
# Usage: scripts/fuzz-long.sh [SECONDS] [BUILD_DIR] [jpeg|music]
#        (default 3600 s, build/, jpeg)
# The corpus grows in BUILD_DIR/fuzz/corpus (fuzz/music-corpus); inputs that
# make it fail are saved in BUILD_DIR/fuzz/artifacts and reported at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-3600}
build=${2:-build}
kind=${3:-jpeg}
case "$kind" in
  jpeg) targets="jpeg_fuzz jpeg_seeds"; fuzzer=jpeg_fuzz; seeds=jpeg_seeds
        corpus=tests/fuzz/corpus; extra=(-dict=tests/fuzz/jpeg.dict -max_len=65536) ;;
  music) targets="music_fuzz music_seeds"; fuzzer=music_fuzz; seeds=music_seeds
         corpus=tests/fuzz/music-corpus; extra=(-max_len=32768) ;;
  *) echo "fuzz-long: the fuzzer is jpeg or music, not $kind" >&2; exit 2 ;;
esac

if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "fuzz-long: no configured build in $build (run scripts/build.sh first)" >&2
  exit 2
fi
cmake --build "$build" --target $targets -j2 >/dev/null && [ -x "$build/tests/fuzz/$fuzzer" ] || {
  echo "fuzz-long: the fuzzer could not be built (is clang with libFuzzer installed?)" >&2
  exit 2
}

work="$build/fuzz"
[ "$kind" = jpeg ] || work="$build/fuzz-$kind"
mkdir -p "$work/corpus" "$work/seeds" "$work/artifacts" "$corpus"
"$build/tests/fuzz/$seeds" "$work/seeds"

# The seeds are read along with the corpus and with tests/fuzz/corpus (or
# tests/fuzz/music-corpus; the
# minimised corpus of earlier long runs, kept in the repository); new finds
# go to the corpus.
# The loader's lines about bad pictures are silenced (-close_fd_mask=2);
# libFuzzer and the sanitizers still report. Each input is written to a
# file: keep that file in memory when possible.
tmp=/dev/shm
[ -d "$tmp" ] && [ -w "$tmp" ] || tmp=${TMPDIR:-/tmp}
status=0
TMPDIR="$tmp" "$build/tests/fuzz/$fuzzer" -max_total_time="$seconds" -timeout=30 "${extra[@]}" \
  -malloc_limit_mb=600 -rss_limit_mb=2560 -close_fd_mask=2 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus" "$work/seeds" "$corpus" || status=$?

if [ "$status" -ne 0 ]; then
  echo "fuzz-long: the fuzzer found a problem; inputs are in $work/artifacts" >&2
fi
exit "$status"
