#!/bin/sh
# Fault-matrix rows that need the real desktop program: run under a virtual
# X server and driven as a user would (xdotool), with the real pictures from
# the build folder and a generated tone as the music.
#
# Usage: reliability_xvfb.sh CASE PROGRAM TONEGEN [XCLOSE]
#   audio-dummy      SDL_AUDIODRIVER=dummy: the whole presentation runs
#                    silently and ends with its music, status 0, nothing said
#   no-640x480-mode  a 1024x768 screen without a 640x480 mode: the picture
#                    fills the screen, the presentation ends with its music
#   closed-in-pause  the window closed (WM_DELETE_WINDOW, as a close-box
#                    click sends) during the second before the first frame:
#                    status 0, no frame, an earlier log.txt left as it was
#   escape-in-pause  the same with Escape
#   space-held       space held for four seconds: one entry per auto-repeat,
#                    in order, none lost
#   sigkill          killed (SIGKILL) after three presses: all three entries
#                    are in log.txt
#   sigterm, sigint  the signal ends it like Escape: status 0, the entries
#                    made are in log.txt, the window is gone and the screen
#                    is as it was
# Exit 77 (skipped) when Xvfb, xdotool or xdpyinfo is missing.
set -u

skip=77
case_name=$1
program=$2
tonegen=$3
xclose=${4:-}
data_dir=$(dirname "$program")

for tool in Xvfb xdotool xdpyinfo; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed"
        exit $skip
    fi
done
if [ "$case_name" = closed-in-pause ] && [ -z "$xclose" ]; then
    echo "skipped: no X11 client library to send the close request with"
    exit $skip
fi
screen=640x480x24
[ "$case_name" = no-640x480-mode ] && screen=1024x768x24
. "$(dirname "$0")/reliability_xserver.sh"
start_x_server "$screen"

# ---- Inside the virtual X server -------------------------------------------
work=$(mktemp -d)
pid=

fail() {
    echo "FAIL ($case_name): $*"
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    [ -s "$work/err" ] && { echo "--- program stderr:"; cat "$work/err"; }
    [ -f "$work/log.txt" ] && { echo "--- log.txt:"; od -c "$work/log.txt" | head -n 20; }
    rm -rf "$work"
    exit 1
}

# Waits up to $1 seconds for the program to end; sets status.
wait_for_exit() {
    count=0
    while kill -0 "$pid" 2>/dev/null; do
        count=$((count + 1))
        [ "$count" -gt $(($1 * 20)) ] && fail "still running after $1 s"
        sleep 0.05
    done
    wait "$pid"
    status=$?
}

# Finds the program's window once it is on screen and has the keyboard
# focus (key presses go to the focused window), looking every 50 ms for up
# to 10 s.
find_window() {
    count=0
    window=
    while [ -z "$window" ] || [ "$(xdotool getwindowfocus 2>/dev/null)" != "$window" ]; do
        count=$((count + 1))
        [ "$count" -gt 200 ] && fail "no focused window named Salute appeared"
        kill -0 "$pid" 2>/dev/null || fail "ended before its window appeared"
        window=$(xdotool search --onlyvisible --name '^Salute$' 2>/dev/null | head -n 1)
        sleep 0.05
    done
}

# Waits up to 20 s for log.txt to hold $1 lines: presses are handled between
# frames, and a frame of the software renderer can take long.
wait_for_entries() {
    count=0
    while [ "$(cat "$work/log.txt" 2>/dev/null | wc -l)" -lt "$1" ]; do
        count=$((count + 1))
        [ "$count" -gt 400 ] && fail "log.txt did not reach $1 entries within 20 s"
        kill -0 "$pid" 2>/dev/null || fail "ended before log.txt had $1 entries"
        sleep 0.05
    done
}

# Checks log.txt: exactly $1 entries (at least $1 with "+"), numbered from
# 0, times never going back, every line ended by CR LF.
check_log() {
    log=$work/log.txt
    [ -f "$log" ] || fail "no log.txt"
    awk -v want="$1" '
        { if (substr($0, length($0), 1) != "\r") { print "line " NR " is not ended by CR LF"; bad = 1 }
          sub(/\r$/, "")
          if ($0 !~ /^[0-9]+ : [0-9.e+-]+$/) { print "line " NR " is malformed: " $0; bad = 1 }
          split($0, f, " : ")
          if (f[1] != NR - 1) { print "line " NR " has number " f[1]; bad = 1 }
          if (NR > 1 && f[2] + 0 < last) { print "line " NR " goes back in time"; bad = 1 }
          last = f[2] + 0; n = NR }
        END { if (want ~ /\+$/) { if (n < want + 0) { print n " entries, expected at least " want + 0; bad = 1 } }
              else if (n != want) { print n " entries, expected " want; bad = 1 }
              exit bad }' "$log" >"$work/check" || fail "log.txt: $(cat "$work/check")"
    if [ -s "$log" ]; then
        [ "$(tail -c 2 "$log" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "the last line is not ended by CR LF"
    fi
}

# The real pictures, and a tone as the music.
seconds=30
case $case_name in
audio-dummy | no-640x480-mode) seconds=3 ;;
esac
if [ -d "$data_dir/textures" ]; then
    cp -r "$data_dir/textures" "$work/textures" || fail "cannot copy the pictures"
fi
"$tonegen" "$work/90secver.ogg" "$seconds" >/dev/null || fail "cannot make the test music"
earlier_log='0 : 12.5\r\n1 : 40\r\n'
case $case_name in
closed-in-pause | escape-in-pause) printf "$earlier_log" >"$work/log.txt" ;;
esac
screen_before=$(xdpyinfo | sed -n 's/^ *dimensions: *\([0-9x]*\).*/\1/p')

started=$(date +%s%N)
# A shell starts background commands with SIGINT ignored; the program gets
# the default disposition back, as it has when started from a terminal.
(cd "$work" && SDL_AUDIODRIVER=dummy \
    exec env --default-signal=INT "$program" >"$work/out" 2>"$work/err") &
pid=$!
find_window

case $case_name in
audio-dummy)
    wait_for_exit 30
    elapsed=$((($(date +%s%N) - started) / 1000000))
    [ "$elapsed" -ge 3900 ] || fail "ended after $elapsed ms, before its 3 s of music could have played"
    [ -s "$work/err" ] && fail "said something on stderr"
    check_log 0
    ;;
no-640x480-mode)
    geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
    [ "$geometry" = 1024x768 ] || fail "window is $geometry, expected the whole 1024x768 screen"
    sleep 2.5
    if command -v convert >/dev/null 2>&1 && command -v xwd >/dev/null 2>&1; then
        # The middle of the screen shows the fog-grey scene, not black.
        centre=$(xwd -root -silent | convert xwd:- -crop 64x64+480+352 -resize 1x1 -depth 8 txt:- | tail -n 1)
        case $centre in
        *"#000000"*) fail "the middle of the screen is black: $centre" ;;
        esac
    fi
    wait_for_exit 30
    [ -s "$work/err" ] && fail "said something on stderr"
    ;;
closed-in-pause | escape-in-pause)
    if [ "$case_name" = closed-in-pause ]; then
        "$xclose" "$window" || fail "could not send the close request"
    else
        xdotool key Escape
    fi
    wait_for_exit 10
    [ "$(od -c "$work/log.txt")" = "$(printf "$earlier_log" | od -c)" ] || fail "the earlier log.txt was changed"
    ;;
space-held)
    sleep 2.5
    xdotool keydown space
    sleep 4
    xdotool keyup space
    sleep 0.5
    xdotool key Escape
    wait_for_exit 30
    # X repeats a held key 25 times a second after 660 ms: about 85 entries.
    check_log 50+
    ;;
sigkill)
    sleep 2.5
    for press in 1 2 3; do
        xdotool key space
        sleep 0.3
    done
    # Once the three entries are written, nothing may hold them back: a kill
    # then loses none (an entry kept in a buffer would never appear).
    wait_for_entries 3
    kill -KILL "$pid"
    wait_for_exit 10
    [ "$status" -eq 137 ] || fail "exit status $status after SIGKILL"
    status=0
    check_log 3
    ;;
sigterm | sigint)
    sleep 2.5
    xdotool key space
    sleep 0.3
    xdotool key space
    wait_for_entries 2
    if [ "$case_name" = sigterm ]; then kill -TERM "$pid"; else kill -INT "$pid"; fi
    wait_for_exit 30
    check_log 2
    [ -z "$(xdotool search --name '^Salute$' 2>/dev/null)" ] || fail "the window is still there"
    screen_after=$(xdpyinfo | sed -n 's/^ *dimensions: *\([0-9x]*\).*/\1/p')
    [ "$screen_after" = "$screen_before" ] || fail "the screen is $screen_after, was $screen_before"
    ;;
*)
    fail "unknown case"
    ;;
esac

[ "$status" -eq 0 ] || fail "exit status $status, expected 0"
echo "ok ($case_name)"
rm -rf "$work"
exit 0
