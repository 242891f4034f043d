# Sourced by the scripts that run the desktop program: starts a virtual X
# server of its own and points DISPLAY at it. It is stopped (and waited for)
# when the script exits. Needs xdotool, which the callers check for.
#
# The display number is drawn at random from a wide range rather than taken
# as the lowest free one: X servers in other containers that share this
# network namespace (the abstract socket names are shared, the lock files in
# /tmp are not) then almost never answer at our number, and a server that
# does, or one whose number is taken, is noticed and another number tried.
# Usage: start_x_server WIDTHxHEIGHTxDEPTH
x_server=

# Stops the server started last and waits until it is gone: one still
# shutting down would remove the socket of the next server given its number.
stop_x_server() {
    [ -n "$x_server" ] || return 0
    kill "$x_server" 2>/dev/null
    wait "$x_server" 2>/dev/null
    x_server=
}

# Starts one server at a random number; succeeds once a client reaches it
# and sees the screen asked for.
try_x_server() {
    x_number=$((1000 + $(od -An -N2 -tu2 /dev/urandom | tr -d ' ') % 30000))
    # -noreset: by default the server resets itself whenever its last client
    # leaves, and a client connecting meanwhile is turned away; the probes
    # below and the test's own tools come and go right before the program
    # connects.
    Xvfb ":$x_number" -screen 0 "$1" -nolisten tcp -noreset 2>/dev/null &
    x_server=$!
    DISPLAY=:$x_number
    export DISPLAY
    x_size=$(echo "$1" | sed 's/^\([0-9]*\)x\([0-9]*\).*/\1 \2/')
    x_wait=0
    while [ "$(xdotool getdisplaygeometry 2>/dev/null)" != "$x_size" ]; do
        x_wait=$((x_wait + 1))
        [ "$x_wait" -gt 200 ] && return 1
        kill -0 "$x_server" 2>/dev/null || return 1
        sleep 0.05
    done
    # A server that found the number taken has ended by now; the answer
    # then came from the other one.
    sleep 0.1
    kill -0 "$x_server" 2>/dev/null
}

start_x_server() {
    trap stop_x_server EXIT
    for x_attempt in 1 2 3 4 5; do
        try_x_server "$1" && return 0
        stop_x_server
    done
    echo "FAIL: the virtual X server did not start (five tries)"
    exit 1
}
