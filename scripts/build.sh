#!/usr/bin/env bash
# Configures and builds Salute (Release) in build/, including the data the
# presentation reads. Fast when nothing changed.
#   build.sh [--tests] [CMAKE OPTIONS]
# --tests also installs the test tools and builds the tests and benchmarks;
# without it a new build/ has the program, the capture tool and the data
# only (a build/ that has the tests keeps them).
set -euo pipefail
cd "$(dirname "$0")/.."
tests=OFF
if [ "${1:-}" = --tests ]; then
  tests=ON
  shift
  "$PWD/scripts/install-deps.sh" --tests
else
  "$PWD/scripts/install-deps.sh"
fi
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DSALUTE_BUILD_TESTS=$tests "$@"
elif [ $tests = ON ] || [ $# -gt 0 ]; then
  [ $tests = ON ] && set -- -DSALUTE_BUILD_TESTS=ON "$@"
  cmake -S . -B build "$@"
fi
cmake --build build -j"$(nproc)"
