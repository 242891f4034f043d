#!/usr/bin/env bash
# Builds Salute and runs the whole test suite. Non-zero exit on any failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/build.sh
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
