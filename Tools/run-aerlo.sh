#!/bin/sh
# make run: Aerlo on a simulated machine. Starts smcsim on PROFILE under the root unless one already
# serves there, and a private Xvfb with the trayer tray when there is no desktop; stops what it started
# once Aerlo quits.
set -u
BUILD=${BUILD:-build}
PROFILE=${PROFILE:-mbp-m1pro-2fan}
# The system facts (architecture, model) answer from the same machine as the SMC.
AERLO_MACHINE=${AERLO_MACHINE:-$PROFILE}
export AERLO_MACHINE
# The simulated machine, even on a real Mac (where Aerlo alone would use its applesmc driver).
AERLO_SMC=${AERLO_SMC:-smcsim}
export AERLO_SMC
AERLO_ROOT=${AERLO_ROOT:-${XDG_DATA_HOME:-$HOME/.local/share}/aerlo/root}
export AERLO_ROOT
mkdir -p "$AERLO_ROOT"
smcsim="$BUILD/bin/smcsim"
app="$BUILD/Aerlo.app/Contents/MacOS/Aerlo"
smcsim_pid="" xvfb_pid="" tray_pid="" display_file=""

cleanup() {
    [ -n "$smcsim_pid" ] && { "$smcsim" ctl stop >/dev/null 2>&1 || kill "$smcsim_pid" 2>/dev/null; }
    [ -n "$tray_pid" ] && kill "$tray_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$display_file" ] && rm -f "$display_file"
}
trap cleanup EXIT
# Ctrl-C reaches Aerlo, which quits in order; the helpers run in sessions of their own so that they
# outlive its restores, and this script stops them after it.
trap ':' INT TERM HUP

if ! "$smcsim" ctl snapshot >/dev/null 2>&1; then
    setsid "$smcsim" --profile "$PROFILE" &
    smcsim_pid=$!
    tries=0
    until "$smcsim" ctl snapshot >/dev/null 2>&1; do
        tries=$((tries + 1))
        [ $tries -gt 50 ] && { echo "smcsim did not start" >&2; exit 1; }
        sleep 0.1
    done
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    display_file=$(mktemp)
    setsid Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    tries=0
    until [ -s "$display_file" ]; do
        tries=$((tries + 1))
        [ $tries -gt 50 ] && { echo "Xvfb did not start" >&2; exit 1; }
        sleep 0.1
    done
    DISPLAY=":$(cat "$display_file")"
    export DISPLAY
    echo "Aerlo runs on the private display $DISPLAY"
    setsid trayer --edge top --align right --widthtype request --height 24 --SetDockType true >/dev/null 2>&1 &
    tray_pid=$!
    sleep 0.5
fi

"$app"
