# Sourced by the scripts that run the desktop program: starts a virtual X
# server of its own and points DISPLAY at it. The server picks a free display
# number itself (-displayfd), so several can start at once without taking
# each other's number. It is stopped (and waited for) when the script exits.
# Usage: start_x_server WIDTHxHEIGHTxDEPTH
start_x_server() {
    x_number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$x_number_file" 2>/dev/null &
    x_server=$!
    x_wait=0
    while [ ! -s "$x_number_file" ]; do
        x_wait=$((x_wait + 1))
        if [ "$x_wait" -gt 200 ] || ! kill -0 "$x_server" 2>/dev/null; then
            echo "FAIL: the virtual X server did not start"
            kill "$x_server" 2>/dev/null
            rm -f "$x_number_file"
            exit 1
        fi
        sleep 0.05
    done
    DISPLAY=:$(cat "$x_number_file")
    export DISPLAY
    rm -f "$x_number_file"
    # Waits for the server to be gone: one that is still shutting down would
    # remove the socket of the next server given the same number.
    trap 'kill "$x_server" 2>/dev/null; wait "$x_server" 2>/dev/null' EXIT
}
