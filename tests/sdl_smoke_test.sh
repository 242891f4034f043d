#!/bin/sh
# Runs the real desktop program under a virtual X server and drives it as a
# user would, with the sound going to SDL's silent driver.
#
# Usage: sdl_smoke_test.sh CASE PROGRAM [TONEGEN]
#   escape      640x480 screen: the window is 640x480; other keys, held or
#               not, do nothing; Escape ends it (status 0)
#   music-end   the music's end ends it by itself (status 0), not before the
#               music has played
#   alt-f4      the close shortcut ends it (status 0)
#   terminate   SIGTERM (the system asking it to close) ends it (status 0)
#   scaled      1280x720 screen, which has no 640x480 mode: the window covers
#               the screen and Escape still ends it (status 0)
#   no-audio    no usable audio driver: one line says so, it ends by itself (status 0)
#   bad-music   the music file is not Ogg Vorbis: one line says so, it ends by itself (status 0)
#   no-display  no X server at all: one line says so, status non-zero
# Exit 77 (skipped) when Xvfb or xdotool is missing. Set
# SALUTE_SCREENSHOT=FILE.png to keep a picture of the scaled screen (needs
# xwd and ImageMagick's convert).
set -u

skip=77
case_name=$1
program=$2
tonegen=${3:-}

fail() {
    echo "FAIL ($case_name): $*"
    [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null
    [ -s "$work/err" ] && { echo "--- program stderr:"; cat "$work/err"; }
    rm -rf "$work"
    exit 1
}

# Waits up to $1 seconds for the program to end; sets status.
wait_for_exit() {
    limit=$1
    count=0
    while kill -0 "$pid" 2>/dev/null; do
        count=$((count + 1))
        [ "$count" -gt $((limit * 10)) ] && fail "still running after ${limit}s"
        sleep 0.1
    done
    wait "$pid"
    status=$?
}

if [ "$case_name" = no-display ]; then
    work=$(mktemp -d)
    (cd "$work" && exec env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR -u SDL_VIDEODRIVER \
        SDL_AUDIODRIVER=dummy "$program" >"$work/out" 2>"$work/err") &
    pid=$!
    wait_for_exit 10
    [ "$status" -ne 0 ] || fail "exit status 0 without a display"
    grep -q "^salute: no display: .*; set DISPLAY or run salute-capture" "$work/err" || fail "no message"
    echo "ok ($case_name): status $status, $(head -n 1 "$work/err")"
    rm -rf "$work"
    exit 0
fi

for tool in Xvfb xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed"
        exit $skip
    fi
done
screen=640x480x24
[ "$case_name" = scaled ] && screen=1280x720x24
. "$(dirname "$0")/reliability_xserver.sh"
start_x_server "$screen"

# ---- Inside the virtual X server -------------------------------------------
work=$(mktemp -d)
audio=dummy
case $case_name in
music-end) "$tonegen" "$work/90secver.ogg" 2 || fail "cannot make the test music" ;;
bad-music) echo "not music" >"$work/90secver.ogg" ;;
no-audio) audio=no-such-driver ;;
*) "$tonegen" "$work/90secver.ogg" 30 || fail "cannot make the test music" ;;
esac

started=$(date +%s%N)
(cd "$work" && SDL_AUDIODRIVER=$audio exec "$program" >"$work/out" 2>"$work/err") &
pid=$!

# The cases that end by themselves within about a second: no window checks.
case $case_name in
no-audio)
    wait_for_exit 10
    grep -q "^salute: no audio output (.*); the presentation ends after its first frame. Set SDL_AUDIODRIVER=dummy" \
        "$work/err" || fail "no message about the audio output"
    ;;
bad-music)
    wait_for_exit 10
    grep -q '^salute: cannot play "90secver.ogg": .*; the presentation ends after its first frame' \
        "$work/err" || fail "no message about the music file"
    ;;
esac
if [ "$case_name" = no-audio ] || [ "$case_name" = bad-music ]; then
    [ "$status" -eq 0 ] || fail "exit status $status, expected 0"
    echo "ok ($case_name)"
    rm -rf "$work"
    exit 0
fi

window=$(timeout 10 xdotool search --sync --name '^Salute$' | head -n 1)
[ -n "$window" ] || fail "no window named Salute appeared"
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')

case $case_name in
escape)
    [ "$geometry" = 640x480 ] || fail "window is $geometry, expected 640x480"
    # Other keys, one held long enough to repeat, are swallowed.
    sleep 1.2
    xdotool keydown a
    sleep 0.8
    xdotool keyup a
    xdotool key Return F1 Left
    sleep 0.3
    kill -0 "$pid" 2>/dev/null || fail "ended on a key other than Escape"
    xdotool key Escape
    wait_for_exit 10
    ;;
music-end)
    wait_for_exit 15
    # One second of pause before the loop, then two seconds of music.
    elapsed=$((($(date +%s%N) - started) / 1000000))
    [ "$elapsed" -ge 2900 ] || fail "ended after ${elapsed} ms, before the music could have played"
    ;;
alt-f4)
    xdotool key alt+F4
    wait_for_exit 10
    ;;
terminate)
    sleep 1.5
    kill -TERM "$pid"
    wait_for_exit 10
    ;;
scaled)
    [ "$geometry" = 1280x720 ] || fail "window is $geometry, expected the whole 1280x720 screen"
    sleep 2  # a few frames on screen
    if [ -n "${SALUTE_SCREENSHOT:-}" ]; then
        xwd -root -silent | convert xwd:- "$SALUTE_SCREENSHOT"
    fi
    xdotool key Escape
    wait_for_exit 10
    ;;
*)
    fail "unknown case"
    ;;
esac

[ "$status" -eq 0 ] || fail "exit status $status, expected 0"
echo "ok ($case_name): window $geometry"
rm -rf "$work"
exit 0
