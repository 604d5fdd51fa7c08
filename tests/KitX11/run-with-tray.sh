#!/bin/sh
# Runs a command on a private virtual X display that has a system tray (Xvfb with trayer), then stops both.
# Usage: run-with-tray.sh <program> [arguments...]
set -u

for tool in Xvfb trayer xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "run-with-tray: $tool is missing (make deps installs xvfb, trayer and xdotool)" >&2
        exit 1
    fi
done

work=$(mktemp -d) || exit 1
xvfb_pid=""
tray_pid=""
cleanup() {
    [ -n "$tray_pid" ] && kill "$tray_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# wait_for <name> <pid> <log> <command...>: until the command succeeds, for 10 s at most while the process lives.
wait_for() {
    name=$1 pid=$2 log=$3
    shift 3
    tries=0
    until "$@" >/dev/null 2>&1; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ] || ! kill -0 "$pid" 2>/dev/null; then
            echo "run-with-tray: $name did not start" >&2
            cat "$log" >&2
            return 1
        fi
        sleep 0.1
    done
}

# Xvfb picks a free display and writes its number once it accepts clients. Displays started side by side
# by parallel tests can race for a number: a display or tray that does not come up is tried again.
start_display() {
    [ -n "$tray_pid" ] && kill "$tray_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    tray_pid="" xvfb_pid=""
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_for "Xvfb" "$xvfb_pid" "$work/xvfb.log" test -s "$work/display" || return 1
    DISPLAY=":$(cat "$work/display")"
    export DISPLAY
    trayer --edge top --align right --widthtype request --height 24 --SetDockType true --transparent false \
        >"$work/trayer.log" 2>&1 &
    tray_pid=$!
    wait_for "trayer" "$tray_pid" "$work/trayer.log" xdotool search --classname trayer
}

unset WAYLAND_DISPLAY
QT_QPA_PLATFORM=xcb
export QT_QPA_PLATFORM
XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_RUNTIME_DIR
# Autostart entries and other desktop settings the programs write stay in the work folder.
XDG_CONFIG_HOME="$work/config"
export XDG_CONFIG_HOME

attempt=1
until start_display; do
    attempt=$((attempt + 1))
    [ $attempt -le 3 ] || exit 1
    echo "run-with-tray: trying again ($attempt of 3)" >&2
done

"$@"
