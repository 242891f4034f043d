#!/usr/bin/env bash
# Builds Salute with sanitizers and runs tests there.
#
#   scripts/sanitize.sh [CTEST_ARGS...]
#       AddressSanitizer + UndefinedBehaviorSanitizer in build-sanitize/,
#       the whole suite (every test that runs the program runs the sanitized
#       program). Any memory error, undefined behaviour or leak of the
#       program's own fails the test it happens in. The long runs (labels
#       soak and valgrind) are left out: valgrind cannot run sanitized
#       programs.
#   scripts/sanitize.sh --thread [CTEST_ARGS...]
#       ThreadSanitizer in build-tsan/, the capture tool's tests (label
#       capture): the only code with a second thread of its own is the
#       capture tool's encoder.
set -euo pipefail
cd "$(dirname "$0")/.."
kind=address
if [ "${1:-}" = --thread ]; then
  kind=thread
  shift
fi

if [ $kind = address ]; then
  build=${SALUTE_SANITIZE_BUILD:-build-sanitize}
  [ -f "$build/CMakeCache.txt" ] ||
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSALUTE_SANITIZE=ON
  cmake --build "$build" -j"$(nproc)"
  # Stop at the first error of any kind, with a stack trace. The font library
  # leaks a little of its own configuration once per process: only that is
  # suppressed (tests/lsan.supp).
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
  cd "$build"
  ctest --output-on-failure -j"$(nproc)" -LE 'soak|valgrind|windows' "$@"
else
  build=${SALUTE_TSAN_BUILD:-build-tsan}
  [ -f "$build/CMakeCache.txt" ] ||
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSALUTE_SANITIZE_THREAD=ON
  # Only what the capture tests run and read.
  cmake --build "$build" -j"$(nproc)" --target salute-capture video_test capture_test scale_test salute_data
  # A race or a lock-order inversion fails the test it happens in. The
  # software renderer draws on the calling thread: its own worker threads
  # synchronise inside the driver in ways the sanitizer cannot follow, and
  # would be all it reports.
  export TSAN_OPTIONS="halt_on_error=1:exitcode=66:second_deadlock_stack=1"
  export LP_NUM_THREADS=0
  cd "$build"
  ctest --output-on-failure -j"$(nproc)" -L capture "$@"
fi
