#!/usr/bin/env bash
# Runs the timing log's formatting fuzzer for a given number of inputs.
# Usage: scripts/fuzz-log.sh [RUNS] [BUILD_DIR]   (default 10000000, build/)
# The corpus grows in BUILD_DIR/fuzz-log/corpus; inputs that make it fail are
# saved in BUILD_DIR/fuzz-log/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10000000}
build=${2:-build}
[ -f "$build/CMakeCache.txt" ] || { echo "fuzz-log: no configured build in $build" >&2; exit 2; }
cmake --build "$build" --target log_fuzz -j2 >/dev/null && [ -x "$build/tests/fuzz/log_fuzz" ] || {
  echo "fuzz-log: the fuzzer could not be built (is clang with libFuzzer installed?)" >&2
  exit 2
}
work="$build/fuzz-log"
mkdir -p "$work/corpus" "$work/artifacts"
exec nice -n 10 "$build/tests/fuzz/log_fuzz" -runs="$runs" -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus"
