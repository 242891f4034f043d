#!/usr/bin/env bash
# A short run of the JPEG fuzzer from a fresh seed corpus, for the test
# suite: a fixed number of inputs, a fixed random seed, and every finding
# fails the test.
# Usage: smoke.sh FUZZER SEED_MAKER WORK_DIR [RUNS]
set -euo pipefail
fuzzer=$1
seedMaker=$2
work=$3
runs=${4:-3000}

rm -rf "$work"
mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
"$seedMaker" "$work/seeds"

# The loader's own lines about bad pictures would drown the fuzzer's
# report; -close_fd_mask=2 silences the program's stderr while libFuzzer
# and the sanitizers still report.
exec "$fuzzer" -runs="$runs" -seed=1 -max_total_time=60 -timeout=20 \
  -max_len=16384 -malloc_limit_mb=600 -rss_limit_mb=2560 -close_fd_mask=2 \
  -dict="$(dirname "$0")/jpeg.dict" -artifact_prefix="$work/artifacts/" "$work/corpus" "$work/seeds"
