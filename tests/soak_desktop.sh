#!/bin/bash
# The soak: the real desktop program plays the whole presentation of the
# real data under a virtual X server, with the space bar pressed at known
# times. Afterwards:
#   - log.txt holds exactly one line per press, in order, numbered from 0,
#     every line ended by CR LF, and each time within a frame (plus
#     scheduling slack) of when the key was pressed;
#   - the presentation ended by itself, with status 0, about when its music
#     ended;
#   - frames kept coming at a steady rate (no stall, no slowdown) and the
#     memory in use stayed flat once the pictures were loaded.
# demoTime 0 is the end of the load, just before the first frame is shown:
# its wall-clock time is taken from the first buffer swap, which a small
# preloaded library (soak_framecount) records with the frame count.
#
# Usage: soak_desktop.sh PROGRAM CAPTURE FRAMECOUNT_LIBRARY DATA_DIR
# Exit 77 (skipped) when Xvfb or xdotool is missing. Set
# SALUTE_SOAK_KEEP=DIR to keep the run's records (log, frames, memory).
set -u
program=$1
capture=$2
framecount=$3
data=$4

for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done
. "$(dirname "$0")/reliability_xserver.sh"
start_x_server 640x480x24

work=$(mktemp -d)
pid=
finish() {
    [ -n "${SALUTE_SOAK_KEEP:-}" ] && mkdir -p "$SALUTE_SOAK_KEEP" && cp "$work"/* "$SALUTE_SOAK_KEEP/" 2>/dev/null
    rm -rf "$work"
}
fail() {
    echo "FAIL (soak): $*"
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    [ -s "$work/err" ] && { echo "--- program stderr:"; cat "$work/err"; }
    finish
    exit 1
}
now() { date +%s.%N; }
# Floating-point arithmetic and comparisons.
calc() { awk "BEGIN { print $* }"; }
holds() { awk "BEGIN { exit !($*) }"; }

[ -f "$data/90secver.ogg" ] && [ -d "$data/textures" ] || fail "no presentation data in $data"
cp -r "$data/textures" "$data/90secver.ogg" "$work/" || fail "cannot copy the data"

# The music's length: from ffprobe, or else from a headless run at one
# frame a second.
length=
if command -v ffprobe >/dev/null 2>&1; then
    length=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/90secver.ogg")
fi
if [ -z "$length" ]; then
    length=$("$capture" --data "$work" --fps 1 2>&1 >/dev/null |
        sed -n 's/.*presentation time \([0-9.]*\) s at the last frame.*/\1/p')
    rm -f "$work/log.txt"
fi
[ -n "$length" ] || fail "cannot tell how long the presentation is"
echo "presentation length: $length s"

# Presses every 7.5 s from 3 s on, and a quick pair (0.25 s apart), up to
# 4 s before the end.
presses=()
t=3
while holds "$t < $length - 4"; do
    presses+=("$t")
    t=$(calc "$t + 7.5")
done
pair=$(calc "${presses[1]} + 0.25")
presses=("${presses[0]}" "${presses[1]}" "$pair" "${presses[@]:2}")
echo "presses at: ${presses[*]}"

started=$(now)
(cd "$work" && SDL_AUDIODRIVER=dummy LD_PRELOAD="$framecount" SALUTE_FRAME_LOG="$work/frames" \
    exec "$program" >"$work/out" 2>"$work/err") &
pid=$!

# Memory in use, once a second, for as long as the program runs.
(
    while kill -0 "$pid" 2>/dev/null; do
        rss=$(sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$pid/status" 2>/dev/null)
        [ -n "$rss" ] && echo "$(now) $rss"
        sleep 1
    done
) >"$work/memory" &
sampler=$!

# The first frame: demoTime 0.
count=0
until [ -s "$work/frames" ]; do
    count=$((count + 1))
    [ "$count" -gt 600 ] && fail "no frame within 60 s"
    kill -0 "$pid" 2>/dev/null || fail "ended before its first frame"
    sleep 0.1
done
zero=$(head -n 1 "$work/frames" | cut -d' ' -f1)
echo "first frame $(calc "$zero - $started") s after the start"

: >"$work/pressed"
for t in "${presses[@]}"; do
    wait_for=$(calc "$zero + $t - $(now)")
    holds "$wait_for > 0" && sleep "$wait_for"
    before=$(now)
    xdotool key space
    after=$(now)
    echo "$(calc "$before - $zero") $(calc "$after - $zero")" >>"$work/pressed"
done

count=0
while kill -0 "$pid" 2>/dev/null; do
    count=$((count + 1))
    [ "$count" -gt 600 ] && fail "still running 60 s after the last press"
    sleep 0.1
done
wait "$pid"
status=$?
ended=$(now)
wait "$sampler"
[ "$status" -eq 0 ] || fail "exit status $status"
[ -s "$work/err" ] && fail "said something on stderr"

# Ended by itself when the music did (the frame counter stops with it).
ran=$(calc "$ended - $zero")
echo "ended $ran s after the first frame"
holds "$ran > $length - 0.5 && $ran < $length + 5" || fail "ended after $ran s of a $length s presentation"

# Frames: the longest time between two frames (from 2 s on, once the first
# pictures are drawn), and the rate early on against the rate at the end.
frames=$work/frames
awk -v length_="$length" '
    NR == 1 { zero = $1 }
    { t = $1 - zero; n = $2
      if (t >= 2 && $3 > longest) { longest = $3; longestAt = t }
      if (t >= 10 && early0 == "") { early0 = n; earlyT = t }
      if (t >= 20 && early1 == "") { early1 = n; early1T = t }
      if (t >= length_ - 12 && late0 == "") { late0 = n; lateT = t }
      last = t; lastN = n }
    END {
      earlyRate = (early1 - early0) / (early1T - earlyT)
      lateRate = (lastN - late0) / (last - lateT)
      printf "frames: %d in %.1f s; %.0f/s at 10-20 s, %.0f/s in the last 12 s; longest frame %.3f s (at %.1f s)\n",
             lastN, last, earlyRate, lateRate, longest, longestAt
      if (longest > 2) { print "the frames stalled"; exit 1 }
      if (lateRate < 0.5 * earlyRate) { print "the frame rate fell"; exit 1 }
    }' "$frames" >"$work/frames-summary" || fail "$(cat "$work/frames-summary")"
cat "$work/frames-summary"

# Memory: what the program holds is allocated by the load; once the first
# pictures have been drawn (10 s), the resident memory must stay within
# 16 MB (or 5 %) of what it was then, to the end.
awk -v zero="$zero" '
    { t = $1 - zero
      if (t >= 10) { if (base == "") base = $2; if ($2 > peak) peak = $2 } }
    END {
      if (base == "") { print "no memory samples"; exit 1 }
      growth = peak - base
      printf "memory: %.1f MB at 10 s, peak %.1f MB after (growth %.1f MB)\n", base / 1024, peak / 1024, growth / 1024
      if (growth > 16384 && growth > base / 20) { print "memory grew"; exit 1 }
    }' "$work/memory" >"$work/memory-summary" || fail "$(cat "$work/memory-summary")"
cat "$work/memory-summary"

# The log: one line per press, in order, numbered from 0, each within a
# frame of its press. A press handled between two frames carries the time of
# the frame before it: at most the press time, and earlier by at most the
# frame being drawn then (the longest frame reported around the press) plus
# 50 ms of scheduling slack. demoTime 0 lies a little before the first swap;
# the offset is taken as the tightest bound the presses give (each logged
# time is at most its press's end), and must lie within half a second.
log=$work/log.txt
[ -f "$log" ] || fail "no log.txt"
[ "$(tail -c 2 "$log" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "the last line is not ended by CR LF"
[ "$(grep -c $'\r$' "$log")" -eq "$(wc -l <"$log")" ] || fail "a line of log.txt is not ended by CR LF"
[ "$(wc -l <"$log")" -eq "${#presses[@]}" ] || fail "log.txt has $(wc -l <"$log") entries for ${#presses[@]} presses"
: >"$work/presses"
while read -r before after && IFS= read -r entry <&3; do
    entry=${entry%$'\r'}
    # The longest frame reported within 1.5 s of the press.
    frame=$(awk -v zero="$zero" -v t="$before" '($1 - zero) > t - 1.5 && ($1 - zero) < t + 2.5 && $3 > m { m = $3 } END { print m + 0 }' "$frames")
    echo "$before $after ${entry%% : *} ${entry##* : } $frame" >>"$work/presses"
done <"$work/pressed" 3<"$log"
awk '
    { before[NR] = $1; after[NR] = $2; number[NR] = $3; logged[NR] = $4; frame[NR] = $5
      if (NR == 1 || $2 - $4 < offset) offset = $2 - $4; n = NR }
    END {
      if (offset > 0.5 || offset < -0.5) { printf "demoTime 0 would lie %.3f s away from the first frame\n", offset; bad = 1 }
      for (i = 1; i <= n; i++) {
        if (number[i] != i - 1) { print "line " i " has number " number[i]; bad = 1 }
        if (i > 1 && logged[i] <= logged[i - 1]) { print "line " i " is not later than the one before"; bad = 1 }
        lag = before[i] - offset - logged[i]
        if (lag > frame[i] + 0.05) {
          printf "press %d at %.3f s was logged as %s: %.3f s behind, its frame took %.3f s\n", i - 1, before[i] - offset, logged[i], lag, frame[i]
          bad = 1 }
        spread = after[i] - offset - logged[i]
        if (spread > worst) worst = spread
        if (after[i] - before[i] > call) call = after[i] - before[i]
      }
      printf "log: %d entries in order, all within %.3f s of the end of their presses (xdotool took up to %.3f s); demoTime 0 no later than %.3f s after the first swap\n", n, worst, call, offset
      exit bad }' "$work/presses" >"$work/log-summary" || fail "log.txt: $(cat "$work/log-summary")"
cat "$work/log-summary"

echo "ok (soak)"
finish
exit 0
