#!/bin/sh
# The whole presentation of the real data, headless, under valgrind's
# memcheck: no invalid read or write, no use of an uninitialised value, and
# no memory of the program's own left unfreed at the end. Only the OpenGL
# driver's own allocations are suppressed (valgrind.supp says which and why).
#
# Usage: valgrind.sh SALUTE_CAPTURE DATA_DIR SUPPRESSIONS SHIM [FPS]
# 5 frames a second of virtual time: about ten minutes of CPU. Exit 77
# (skipped) when valgrind is not installed.
set -u
capture=$1 data=$2 suppressions=$3 shim=$4 fps=${5:-5}

command -v valgrind >/dev/null 2>&1 || { echo "skipped: valgrind is not installed"; exit 77; }
[ -f "$data/90secver.ogg" ] && [ -d "$data/textures" ] || { echo "FAIL: no presentation data in $data"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$data/textures" "$data/90secver.ogg" "$work/"

# A few presses along the way, so the log and the window messages are part
# of the run; the drawing size changes once and comes back.
keys=10:space,20.5:a,30:size=320x240,30.2:size=640x480,50:space,75:f1,99:space

# llvmpipe draws on one thread (LP_NUM_THREADS=0): the same pixels, and a run
# that valgrind, which runs one thread at a time anyway, gets through sooner.
# The shim is preloaded so that the run is the same on every processor.
LP_NUM_THREADS=0 LD_PRELOAD="$shim" valgrind --tool=memcheck --error-exitcode=99 --num-callers=40 \
    --leak-check=full --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
    --suppressions="$suppressions" --log-file="$work/memcheck.txt" \
    "$capture" --data "$work" --fps "$fps" --hashes --keys "$keys" >"$work/out" 2>"$work/err"
status=$?

[ -n "${SALUTE_VALGRIND_LOG:-}" ] && cp "$work/memcheck.txt" "$SALUTE_VALGRIND_LOG"
frames=$(grep -c '^frame ' "$work/out")
last=$(tail -n 1 "$work/out")
summary=$(grep 'ERROR SUMMARY' "$work/memcheck.txt" | tail -n 1)
echo "$frames frames, last: $last"
echo "memcheck: ${summary#==*== }"
if [ "$status" -ne 0 ]; then
    echo "FAIL: exit status $status (99: memcheck found errors)"
    echo "--- memcheck (the whole report is kept in \$SALUTE_VALGRIND_LOG when set):"
    sed -n '/Parent PID/,$p' "$work/memcheck.txt" | head -n 400
    echo "--- stderr:"
    tail -n 20 "$work/err"
    exit 1
fi
grep -q 'definitely lost: 0 bytes\|All heap blocks were freed' "$work/memcheck.txt" || {
    echo "FAIL: memory of the program's own was lost"
    grep -A5 'LEAK SUMMARY' "$work/memcheck.txt"
    exit 1
}
# The presentation ran to the end of its music.
case $last in frame*) ;; *) echo "FAIL: no frames"; exit 1 ;; esac
echo "ok"
