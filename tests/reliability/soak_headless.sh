#!/bin/sh
# The whole presentation of the real data rendered headless twice, with the
# same presses: every frame must come out bit for bit the same (the pixel
# hash of each frame, its index and its presentation time), and so must
# log.txt.
#
# Usage: soak_headless.sh SALUTE_CAPTURE DATA_DIR [FPS]   (default 30)
set -u
capture=$1 data=$2 fps=${3:-30}

[ -f "$data/90secver.ogg" ] && [ -d "$data/textures" ] || { echo "FAIL: no presentation data in $data"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for run in 1 2; do
    mkdir "$work/$run"
    cp -r "$data/textures" "$data/90secver.ogg" "$work/$run/"
    "$capture" --data "$work/$run" --fps "$fps" --hashes --quiet \
        --keys 5:space,30:a,47.25:space,47.25:space,80:space >"$work/hashes$run" 2>"$work/err$run"
    status=$?
    if [ "$status" -ne 0 ] || [ -s "$work/err$run" ]; then
        echo "FAIL: run $run ended with status $status"
        cat "$work/err$run"
        exit 1
    fi
done

frames=$(grep -c '^frame ' "$work/hashes1")
echo "$frames frames, the last: $(tail -n 1 "$work/hashes1")"
[ "$frames" -gt 0 ] || { echo "FAIL: no frames"; exit 1; }
if ! cmp -s "$work/hashes1" "$work/hashes2"; then
    echo "FAIL: the two runs differ, first at:"
    diff "$work/hashes1" "$work/hashes2" | head -n 6
    exit 1
fi
cmp -s "$work/1/log.txt" "$work/2/log.txt" || { echo "FAIL: the two logs differ"; exit 1; }
[ "$(wc -l <"$work/1/log.txt")" -eq 4 ] || { echo "FAIL: log.txt does not hold the 4 presses"; exit 1; }
echo "ok: every frame identical in both runs"
