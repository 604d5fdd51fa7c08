#!/bin/sh
# The running application's cost: Aerlo on smcsim (PROFILE, default the two-fan Apple silicon machine, under
# LOAD so that its fans and the status item's fan icon keep turning) in a private Xvfb with the trayer tray,
# for RUN_SECONDS (60) seconds. Prints the time from the start to the first tick (bounded from above by
# "更新状态栏图标。。。。", which start-up prints as it shows the status item right after that tick) and
# to the status item's tray window,
# then every 10 seconds the share of one core since the last sample, the resident memory and the thread
# count, and the summary against the targets. The machine's load average is printed with it: other work
# on the machine shows in the figures. ICON=still starts Aerlo with the fan icon's animation turned off in its
# settings, so that the figures show the tick without the icon's frames.
# Usage: sh bench/app-run.sh [build-dir]   (RUN_SECONDS=…, PROFILE=…, LOAD=…, ICON=turning|still, APP_LOG=file)
set -u
BUILD=${1:-build}
RUN_SECONDS=${RUN_SECONDS:-60}
PROFILE=${PROFILE:-mbp-m1pro-2fan}
LOAD=${LOAD:-0.6}
ICON=${ICON:-turning}
case $ICON in turning | still) ;; *) echo "ICON must be turning or still" >&2; exit 1 ;; esac
smcsim="$BUILD/bin/smcsim"
app="$BUILD/Aerlo.app/Contents/MacOS/Aerlo"
for tool in Xvfb trayer xdotool; do
    command -v $tool >/dev/null || { echo "needs $tool" >&2; exit 1; }
done
[ -x "$app" ] && [ -x "$smcsim" ] || { echo "build first: $app, $smcsim" >&2; exit 1; }
[ "$RUN_SECONDS" -ge 20 ] || { echo "RUN_SECONDS must be at least 20" >&2; exit 1; }

AERLO_ROOT=$(mktemp -d)
# The application takes the facts of the machine smcsim serves (an Intel profile takes the Intel path).
AERLO_MACHINE=$PROFILE
USER=${USER:-$(id -un)}
export AERLO_ROOT AERLO_MACHINE USER
if [ "$ICON" = still ]; then
    # A start that is not the first keeps the settings it finds.
    mkdir -p "$AERLO_ROOT/Users/$USER/Library/Preferences"
    printf '%s\n' '{"t":"dict","v":{"isFirstLaunch":{"t":"bool","v":true},"isEnableStatusBarIconAnimation":{"t":"bool","v":false}}}' \
        >"$AERLO_ROOT/Users/$USER/Library/Preferences/com.norvane.AerloOffline.plist"
fi
display_file=$(mktemp)
app_log=${APP_LOG:-$AERLO_ROOT/aerlo.log}
smcsim_pid="" xvfb_pid="" tray_pid="" app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [ -n "$smcsim_pid" ] && { "$smcsim" ctl stop >/dev/null 2>&1 || kill "$smcsim_pid" 2>/dev/null; }
    [ -n "$tray_pid" ] && kill "$tray_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$AERLO_ROOT" "$display_file"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$smcsim" --profile "$PROFILE" >/dev/null 2>&1 &
smcsim_pid=$!
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
tries=0
until [ -s "$display_file" ] && "$smcsim" ctl snapshot >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -gt 100 ] && { echo "smcsim or Xvfb did not start" >&2; exit 1; }
    sleep 0.05
done
"$smcsim" ctl load "$LOAD" >/dev/null
DISPLAY=":$(cat "$display_file")"
export DISPLAY
trayer --edge top --align right --widthtype request --height 24 --SetDockType true >/dev/null 2>&1 &
tray_pid=$!
tries=0
until xdotool search --classname trayer >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -gt 100 ] && { echo "trayer did not start" >&2; exit 1; }
    sleep 0.05
done

ticks=$(getconf CLK_TCK)
now() { date +%s.%N; }
# utime + stime of the process, in clock ticks.
cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
status() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }
alive() { kill -0 "$app_pid" 2>/dev/null || { echo "Aerlo ended early; its output:" >&2; cat "$app_log" >&2; exit 1; }; }

echo "profile $PROFILE, fan icon $ICON; machine load average at the start: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
: >"$app_log"
start=$(now)
"$app" >"$app_log" 2>&1 &
app_pid=$!
first_tick="" tray=""
while [ -z "$first_tick" ] || [ -z "$tray" ]; do
    alive
    [ -z "$first_tick" ] && grep -q "更新状态栏图标" "$app_log" && first_tick=$(now)
    [ -z "$tray" ] && xdotool search --onlyvisible --pid "$app_pid" >/dev/null 2>&1 && tray=$(now)
    if [ "$(awk -v s="$start" -v n="$(now)" 'BEGIN { print (n - s > 10) }')" = 1 ]; then
        echo "no first tick or tray window within 10 s" >&2
        exit 1
    fi
    sleep 0.005
done
awk -v s="$start" -v f="$first_tick" -v t="$tray" 'BEGIN {
    printf "start to the first tick: %.3f s   (target < 0.5 s); to the tray window: %.3f s\n", f - s, t - s }'

# Samples at 10, 20, … seconds from the start: time, CPU ticks, resident kB, threads.
samples=""
second=10
while [ "$second" -le "$RUN_SECONDS" ]; do
    wait_for=$(awk -v s="$start" -v n="$(now)" -v at="$second" 'BEGIN { d = s + at - n; print (d > 0 ? d : 0) }')
    sleep "$wait_for"
    alive
    samples="$samples $(now):$(cpu $app_pid):$(status $app_pid VmRSS):$(status $app_pid Threads)"
    second=$((second + 10))
done
fans=$("$smcsim" ctl snapshot | awk -F'[:,]' '/"actual"/ { gsub(/ /, "", $2); printf "%s ", $2 }')

echo "$samples" | tr ' ' '\n' | awk -F: -v ticks="$ticks" -v start="$start" -v fans="$fans" '
    NF == 4 {
        n++; at[n] = $1; cpu[n] = $2; rss[n] = $3; threads[n] = $4
        if (n == 1)
            printf "%4.0f s: %6.1f MB resident, %2d threads\n", at[n] - start, rss[n] / 1024, threads[n]
        else
            printf "%4.0f s: %6.1f MB resident, %2d threads, %.2f %% of one core since the last sample\n",
                at[n] - start, rss[n] / 1024, threads[n], 100 * (cpu[n] - cpu[n - 1]) / ticks / (at[n] - at[n - 1])
    }
    END {
        share = 100 * (cpu[n] - cpu[1]) / ticks / (at[n] - at[1])
        printf "CPU from the 10th second to the end: %.2f %% of one core   (target < 0.5 %%)\n", share
        maxRss = 0
        for (i = 1; i <= n; i++) if (rss[i] > maxRss) maxRss = rss[i]
        printf "resident memory: at most %.1f MB   (target < 80 MB); %+.1f MB from the 10th second to the end\n",
            maxRss / 1024, (rss[n] - rss[1]) / 1024
        printf "threads: %d at the 10th second, %d at the end   (target: flat)\n", threads[1], threads[n]
        printf "fan speeds at the end (rpm): %s\n", fans
    }'
echo "machine load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
