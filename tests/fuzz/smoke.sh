#!/usr/bin/env bash
# A short run of a fuzzer (the JPEG one, or the music one) from a fresh seed corpus, for the test
# suite: a fixed number of inputs, a fixed random seed, and every finding
# fails the test. Inputs that fail are kept in WORK_DIR/artifacts.
# Usage: smoke.sh FUZZER SEED_MAKER WORK_DIR [RUNS] [jpeg|music]
set -euo pipefail
fuzzer=$1 seedMaker=$2 work=$3 runs=${4:-10000} kind=${5:-jpeg}
dict=()
[ "$kind" = jpeg ] && dict=(-dict="$(dirname "$0")/jpeg.dict")

# The fuzzer writes every input to a file; memory-backed storage keeps the
# run short on a busy disk.
base=/dev/shm
[ -d "$base" ] && [ -w "$base" ] || base=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$base/salute-$kind-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

rm -rf "$work"
mkdir -p "$work/artifacts" "$scratch/seeds" "$scratch/corpus"
"$seedMaker" "$scratch/seeds"

# The program's lines about bad pictures and music would drown the fuzzer's report;
# -close_fd_mask=2 silences the program's stderr while libFuzzer and the
# sanitizers still report.
TMPDIR="$scratch" "$fuzzer" -runs="$runs" -seed=1 -max_total_time=60 -timeout=20 \
  -max_len=16384 -malloc_limit_mb=600 -rss_limit_mb=2560 -close_fd_mask=2 \
  "${dict[@]}" -artifact_prefix="$work/artifacts/" \
  "$scratch/corpus" "$scratch/seeds"
