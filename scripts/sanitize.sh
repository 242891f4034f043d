#!/usr/bin/env bash
# Builds Salute with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-sanitize/ and runs the test suite there (every test that runs the
# program runs the sanitized program). Any memory error, undefined behaviour
# or leak of the program's own fails the test it happens in.
# Usage: scripts/sanitize.sh [CTEST_ARGS...]   (the long runs, labels soak
# and valgrind, are left out: valgrind cannot run sanitized programs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${SALUTE_SANITIZE_BUILD:-build-sanitize}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSALUTE_SANITIZE=ON
fi
cmake --build "$build" -j"$(nproc)"

# Stop at the first error of any kind, with a stack trace. The font library
# leaks a little of its own configuration once per process: only that is
# suppressed (tests/lsan.supp).
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"

cd "$build"
ctest --output-on-failure -j"$(nproc)" -LE 'soak|valgrind' "$@"
