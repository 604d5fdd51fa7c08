#!/bin/sh
# The turning fan icon's cost to the whole desktop, per tray protocol and turn: Aerlo on smcsim (PROFILE) in a
# private Xvfb with
#   xembed: the trayer tray, no session bus (Qt's XEmbed icon); measured: Aerlo + X server + tray;
#   sni:    a private session bus (dbus-daemon) and the xfce4-panel with one StatusNotifierItem host: its tray
#           (systray), or its indicator plugin with the AppIndicator service, which shows the item's label
#           (indicator); measured: Aerlo + panel (with its plugin processes) + the indicator service + bus, and
#           the X server beside them.
# The fan icon turns once per 2.0 s, 1.0 s or 0.8 s as the fastest fan is below 2000 rpm, below 3000 or above;
# for each turn in PERIODS smcsim holds the fans there: 2.0 with the fans at their minimum (a thermal curve no
# reading reaches), 1.0 under LOAD_MIDDLE (0.05), 0.8 under LOAD_FAST (0.6), for the default profile.
# After WARM_SECONDS (10) it samples for RUN_SECONDS (30) and prints each process's share of one core, the sum,
# the fans' speed seen at the end (and the turn it gives) and the load average. Run it on two builds in one
# sitting to compare them.
# Usage: sh bench/tray-cost.sh [build-dir]   (PROTOCOLS="xembed sni", SNI_HOST="systray indicator" (one or both),
#        PERIODS="2.0 1.0 0.8", RUN_SECONDS=…, WARM_SECONDS=…, PROFILE=…, LOAD_MIDDLE=…, LOAD_FAST=…,
#        SHOTS=<folder>: the screen's top strip at the end of each run, as <protocol>-<host>-<turn>.png (imagemagick))
# The hosts: apt-get install xvfb trayer xdotool dbus-daemon xfce4-panel, and for the indicator
# ayatana-indicator-application xfce4-indicator-plugin.
set -u
BUILD=${1:-build}
PROTOCOLS=${PROTOCOLS:-xembed sni}
PERIODS=${PERIODS:-2.0 1.0 0.8}
RUN_SECONDS=${RUN_SECONDS:-30}
WARM_SECONDS=${WARM_SECONDS:-10}
PROFILE=${PROFILE:-mbp-m1pro-2fan}
LOAD_MIDDLE=${LOAD_MIDDLE:-0.05}
LOAD_FAST=${LOAD_FAST:-0.6}
SNI_HOST=${SNI_HOST:-systray}
indicator_service=/usr/libexec/ayatana-indicator-application/ayatana-indicator-application-service
for host in $SNI_HOST; do
    case $host in
    systray) ;;
    indicator) [ -x "$indicator_service" ] || { echo "needs ayatana-indicator-application and xfce4-indicator-plugin" >&2; exit 1; } ;;
    *) echo "SNI_HOST must be systray, indicator or both" >&2; exit 1 ;;
    esac
done
for period in $PERIODS; do
    case $period in 2.0 | 1.0 | 0.8) ;; *) echo "PERIODS: each is 2.0, 1.0 or 0.8" >&2; exit 1 ;; esac
done
smcsim="$BUILD/bin/smcsim"
app="$BUILD/Aerlo.app/Contents/MacOS/Aerlo"
machines="$BUILD/Aerlo.app/Contents/Resources/Machines"
# A build copied elsewhere runs its own libraries.
export LD_LIBRARY_PATH="$BUILD/Aerlo.app/Contents/Frameworks${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
for tool in Xvfb trayer xdotool dbus-daemon xfce4-panel; do
    command -v $tool >/dev/null || { echo "needs $tool" >&2; exit 1; }
done
[ -x "$app" ] && [ -x "$smcsim" ] && [ -f "$machines/$PROFILE.json" ] || { echo "build first: $app, $smcsim" >&2; exit 1; }

work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# wait_until <what> <command...>: 10 s at most.
wait_until() {
    what=$1
    shift
    tries=0
    until "$@" >/dev/null 2>&1; do
        tries=$((tries + 1))
        [ $tries -gt 200 ] && { echo "$what did not start" >&2; exit 1; }
        sleep 0.05
    done
}
ticks=$(getconf CLK_TCK)
# utime + stime of the processes, in clock ticks.
cpu() { for pid in "$@"; do awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || echo 0; done | awk '{ s += $1 } END { print s + 0 }'; }
children() { pgrep -P "$1" | tr '\n' ' '; }
# The fastest fan now, in rpm.
fastest_fan() { "$smcsim" ctl snapshot | awk -F'[:,]' '/"actual"/ { if ($2 + 0 > m) m = $2 + 0 } END { printf "%d", m }'; }

# run <protocol> <host> <period>
run() {
    protocol=$1
    host=$2
    period=$3
    home="$work/$protocol-$host-$period"
    mkdir -p "$home/machines"
    export AERLO_ROOT="$home/root" AERLO_MACHINE="$PROFILE" USER="${USER:-$(id -un)}" HOME="$home"
    export XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" XDG_DATA_HOME="$home/data"
    export AERLO_MACHINES_DIR="$home/machines"
    mkdir -p "$AERLO_ROOT"
    case $period in
    2.0)
        # Fans held at their minimum: the curve starts above any reading, and they never stop.
        sed '0,/{/s//{ "thermal": { "curveLow": 140, "curveHigh": 150, "stopWhenCool": false },/' \
            "$machines/$PROFILE.json" >"$AERLO_MACHINES_DIR/$PROFILE.json"
        load=0
        ;;
    1.0) cp "$machines/$PROFILE.json" "$AERLO_MACHINES_DIR/" && load=$LOAD_MIDDLE ;;
    0.8) cp "$machines/$PROFILE.json" "$AERLO_MACHINES_DIR/" && load=$LOAD_FAST ;;
    esac
    "$smcsim" --profile "$PROFILE" >/dev/null 2>&1 &
    smcsim_pid=$!
    pids="$pids $smcsim_pid"
    Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$home/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    pids="$pids $xvfb_pid"
    wait_until "Xvfb" test -s "$home/display"
    wait_until "smcsim" "$smcsim" ctl snapshot
    "$smcsim" ctl load "$load" >/dev/null
    export DISPLAY=":$(cat "$home/display")"
    if [ "$protocol" = xembed ]; then
        unset DBUS_SESSION_BUS_ADDRESS
        trayer --edge top --align right --widthtype request --height 24 --SetDockType true >/dev/null 2>&1 &
        host_pid=$!
        pids="$pids $host_pid"
        wait_until "trayer" xdotool search --classname trayer
        bus_pid=""
    else
        # A panel along the top with only its tray, for the bus-activated settings daemon to find.
        mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
        cat >"$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="26"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
    </property>
    <property name="plugin-2" type="string" value="SNI_HOST"/>
  </property>
</channel>
XML
        sed -i "s/SNI_HOST/$host/" "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"
        dbus-daemon --session --nofork --nopidfile --address="unix:path=$home/bus" >/dev/null 2>&1 &
        bus_pid=$!
        pids="$pids $bus_pid"
        wait_until "dbus-daemon" test -S "$home/bus"
        export DBUS_SESSION_BUS_ADDRESS="unix:path=$home/bus"
        service_pid=""
        if [ "$host" = indicator ]; then
            # The watcher and the labels' source, as the desktop session starts it.
            "$indicator_service" >"$home/indicator.log" 2>&1 &
            service_pid=$!
            pids="$pids $service_pid"
        fi
        NO_AT_BRIDGE=1 xfce4-panel --disable-wm-check >"$home/panel.log" 2>&1 &
        host_pid=$!
        pids="$pids $host_pid"
        wait_until "the panel's StatusNotifierWatcher" dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher \
            /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
            string:IsStatusNotifierHostRegistered
    fi
    "$app" >"$home/aerlo.log" 2>&1 &
    app_pid=$!
    pids="$pids $app_pid"
    sleep "$WARM_SECONDS"
    kill -0 "$app_pid" 2>/dev/null || { echo "Aerlo ended early:" >&2; cat "$home/aerlo.log" >&2; exit 1; }
    host_all="$host_pid $(children "$host_pid") ${service_pid:-}"
    start=$(date +%s.%N)
    a0=$(cpu $app_pid) h0=$(cpu $host_all) x0=$(cpu $xvfb_pid) b0=$(cpu $bus_pid)
    sleep "$RUN_SECONDS"
    end=$(date +%s.%N)
    a1=$(cpu $app_pid) h1=$(cpu $host_all) x1=$(cpu $xvfb_pid) b1=$(cpu $bus_pid)
    rpm=$(fastest_fan)
    if [ -n "${SHOTS:-}" ]; then
        mkdir -p "$SHOTS"
        import -window root -crop 1366x32+0+0 +repage "$SHOTS/$protocol-$host-$period.png"
    fi
    awk -v p="$protocol" -v t="$ticks" -v s="$start" -v e="$end" -v a="$((a1 - a0))" -v h="$((h1 - h0))" \
        -v x="$((x1 - x0))" -v b="$((b1 - b0))" -v host="$host" -v period="$period" -v rpm="$rpm" \
        -v loadavg="$(cut -d' ' -f1 /proc/loadavg)" 'BEGIN {
        f = 100 / t / (e - s)
        turn = rpm < 2000 ? "2.0" : rpm < 3000 ? "1.0" : "0.8"
        if (p == "xembed") {
            printf "xembed, turn %s s: Aerlo %.2f %% + X server %.2f %% + tray %.2f %% = %.2f %% of one core   (target < 1.5 %%)",
                period, a * f, x * f, h * f, (a + x + h) * f
        } else {
            printf "sni (%s), turn %s s: Aerlo %.2f %% + panel %.2f %% + bus %.2f %% = %.2f %% of one core   (target < 2 %%); X server %.2f %% beside",
                host, period, a * f, h * f, b * f, (a + h + b) * f, x * f
        }
        printf "; fans %d rpm; load average %s\n", rpm, loadavg
        if (turn != period)
            printf "  the fans gave a %s s turn, not %s s: set LOAD_MIDDLE / LOAD_FAST for profile\n", turn, period > "/dev/stderr"
    }'
    for pid in $app_pid $host_pid ${service_pid:-} $bus_pid $xvfb_pid; do kill "$pid" 2>/dev/null; done
    "$smcsim" ctl stop >/dev/null 2>&1 || kill "$smcsim_pid" 2>/dev/null
    wait 2>/dev/null
    pids=""
}

echo "build $BUILD, profile $PROFILE, $RUN_SECONDS s after $WARM_SECONDS s; load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
for protocol in $PROTOCOLS; do
    case $protocol in
    xembed) hosts=trayer ;;
    sni) hosts=$SNI_HOST ;;
    *) echo "unknown protocol $protocol" >&2; exit 1 ;;
    esac
    for host in $hosts; do
        for period in $PERIODS; do
            run "$protocol" "$host" "$period"
        done
    done
done
