#!/bin/sh
# The running application's cost: Aerlo on smcsim (two-fan Apple silicon) in a private Xvfb with the
# trayer tray, its status item's fan spinning, for RUN_SECONDS (60) seconds. Prints the share of one core,
# the resident memory and the thread count at the 10th second and at the end, and the time from the
# start to the status item's tray window (start-up shows it right after the first tick).
# Usage: sh bench/app-run.sh [build-dir]   (RUN_SECONDS=… to change the length)
set -u
BUILD=${1:-build}
RUN_SECONDS=${RUN_SECONDS:-60}
smcsim="$BUILD/bin/smcsim"
app="$BUILD/Aerlo.app/Contents/MacOS/Aerlo"
for tool in Xvfb trayer xdotool; do
    command -v $tool >/dev/null || { echo "needs $tool" >&2; exit 1; }
done
[ -x "$app" ] && [ -x "$smcsim" ] || { echo "build first: $app, $smcsim" >&2; exit 1; }

AERLO_ROOT=$(mktemp -d)
export AERLO_ROOT
display_file=$(mktemp)
smcsim_pid="" xvfb_pid="" tray_pid="" app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [ -n "$smcsim_pid" ] && { "$smcsim" ctl stop >/dev/null 2>&1 || kill "$smcsim_pid" 2>/dev/null; }
    [ -n "$tray_pid" ] && kill "$tray_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$AERLO_ROOT" "$display_file"
}
trap cleanup EXIT

"$smcsim" --profile mbp-m1pro-2fan >/dev/null 2>&1 &
smcsim_pid=$!
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
tries=0
until [ -s "$display_file" ] && "$smcsim" ctl snapshot >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -gt 100 ] && { echo "smcsim or Xvfb did not start" >&2; exit 1; }
    sleep 0.05
done
DISPLAY=":$(cat "$display_file")"
export DISPLAY
trayer --edge top --align right --widthtype request --height 24 --SetDockType true >/dev/null 2>&1 &
tray_pid=$!
until xdotool search --class trayer >/dev/null 2>&1; do sleep 0.05; done

ticks=$(getconf CLK_TCK)
now() { date +%s.%N; }
# utime + stime of the process, in clock ticks.
cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
status() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }

start=$(now)
"$app" >"${APP_LOG:-/dev/null}" 2>&1 &
app_pid=$!
until xdotool search --onlyvisible --pid "$app_pid" >/dev/null 2>&1 || xdotool search --class Aerlo >/dev/null 2>&1; do
    kill -0 "$app_pid" 2>/dev/null || { echo "Aerlo ended early" >&2; exit 1; }
    sleep 0.01
done
first=$(now)

sleep 10
cpu10=$(cpu $app_pid) at10=$(now) rss10=$(status $app_pid VmRSS) threads10=$(status $app_pid Threads)
sleep $((RUN_SECONDS - 10))
cpuEnd=$(cpu $app_pid) atEnd=$(now) rssEnd=$(status $app_pid VmRSS) threadsEnd=$(status $app_pid Threads)

awk -v start="$start" -v first="$first" -v at10="$at10" -v atEnd="$atEnd" -v c10="$cpu10" -v cEnd="$cpuEnd" \
    -v ticks="$ticks" -v rss10="$rss10" -v rssEnd="$rssEnd" -v t10="$threads10" -v tEnd="$threadsEnd" 'BEGIN {
    printf "start to the status item (after the first tick): %.3f s   (target < 0.5 s)\n", first - start
    printf "CPU, 10th s to the end: %.2f %% of one core   (target < 0.5 %%)\n", 100 * (cEnd - c10) / ticks / (atEnd - at10)
    printf "resident memory: %.1f MB at 10 s, %.1f MB at the end   (target < 80 MB, flat)\n", rss10 / 1024, rssEnd / 1024
    printf "threads: %d at 10 s, %d at the end   (target: flat)\n", t10, tEnd
}'
