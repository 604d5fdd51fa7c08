#!/bin/sh
# The turning fan icon's cost to the whole desktop, per tray protocol: Aerlo on smcsim (PROFILE, under LOAD so
# that its fans and the icon keep turning) in a private Xvfb with
#   xembed: the trayer tray, no session bus (Qt's XEmbed icon); measured: Aerlo + X server + tray;
#   sni:    a private session bus (dbus-daemon) and the xfce4-panel with one StatusNotifierItem host: its tray
#           (SNI_HOST=systray), or its indicator plugin with the AppIndicator service, which shows the item's
#           label (SNI_HOST=indicator); measured: Aerlo + panel (with its plugin processes) + the indicator
#           service + bus, and the X server beside them.
# After WARM_SECONDS (10) it samples for RUN_SECONDS (30) and prints each process's share of one core and the
# sum. Run it on two builds in one sitting to compare them.
# Usage: sh bench/tray-cost.sh [build-dir]   (PROTOCOLS="xembed sni", SNI_HOST=systray|indicator, RUN_SECONDS=…,
#        WARM_SECONDS=…, PROFILE=…, LOAD=…)
set -u
BUILD=${1:-build}
PROTOCOLS=${PROTOCOLS:-xembed sni}
RUN_SECONDS=${RUN_SECONDS:-30}
WARM_SECONDS=${WARM_SECONDS:-10}
PROFILE=${PROFILE:-mbp-m1pro-2fan}
LOAD=${LOAD:-0.6}
SNI_HOST=${SNI_HOST:-systray}
indicator_service=/usr/libexec/ayatana-indicator-application/ayatana-indicator-application-service
case $SNI_HOST in
systray) ;;
indicator) [ -x "$indicator_service" ] || { echo "needs ayatana-indicator-application and xfce4-indicator-plugin" >&2; exit 1; } ;;
*) echo "SNI_HOST must be systray or indicator" >&2; exit 1 ;;
esac
smcsim="$BUILD/bin/smcsim"
app="$BUILD/Aerlo.app/Contents/MacOS/Aerlo"
for tool in Xvfb trayer xdotool dbus-daemon xfce4-panel; do
    command -v $tool >/dev/null || { echo "needs $tool" >&2; exit 1; }
done
[ -x "$app" ] && [ -x "$smcsim" ] || { echo "build first: $app, $smcsim" >&2; exit 1; }

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

run() {
    protocol=$1
    home="$work/$protocol"
    mkdir -p "$home"
    export AERLO_ROOT="$home/root" AERLO_MACHINE="$PROFILE" USER="${USER:-$(id -un)}" HOME="$home"
    export XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" XDG_DATA_HOME="$home/data"
    mkdir -p "$AERLO_ROOT"
    "$smcsim" --profile "$PROFILE" >/dev/null 2>&1 &
    smcsim_pid=$!
    pids="$pids $smcsim_pid"
    Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$home/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    pids="$pids $xvfb_pid"
    wait_until "Xvfb" test -s "$home/display"
    wait_until "smcsim" "$smcsim" ctl snapshot
    "$smcsim" ctl load "$LOAD" >/dev/null
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
        sed -i "s/SNI_HOST/$SNI_HOST/" "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"
        dbus-daemon --session --nofork --nopidfile --address="unix:path=$home/bus" >/dev/null 2>&1 &
        bus_pid=$!
        pids="$pids $bus_pid"
        wait_until "dbus-daemon" test -S "$home/bus"
        export DBUS_SESSION_BUS_ADDRESS="unix:path=$home/bus"
        service_pid=""
        if [ "$SNI_HOST" = indicator ]; then
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
    awk -v p="$protocol" -v t="$ticks" -v s="$start" -v e="$end" -v a="$((a1 - a0))" -v h="$((h1 - h0))" \
        -v x="$((x1 - x0))" -v b="$((b1 - b0))" -v host="$SNI_HOST" 'BEGIN {
        f = 100 / t / (e - s)
        if (p == "xembed") {
            printf "xembed: Aerlo %.2f %% + X server %.2f %% + tray %.2f %% = %.2f %% of one core   (target < 1.5 %%)\n",
                a * f, x * f, h * f, (a + x + h) * f
        } else {
            printf "sni (%s): Aerlo %.2f %% + panel %.2f %% + bus %.2f %% = %.2f %% of one core   (target < 2 %%); X server %.2f %% beside\n",
                host, a * f, h * f, b * f, (a + h + b) * f, x * f
        }
    }'
    for pid in $app_pid $host_pid ${service_pid:-} $bus_pid $xvfb_pid; do kill "$pid" 2>/dev/null; done
    "$smcsim" ctl stop >/dev/null 2>&1 || kill "$smcsim_pid" 2>/dev/null
    wait 2>/dev/null
    pids=""
}

echo "build $BUILD, SNI host $SNI_HOST, profile $PROFILE, load $LOAD, $RUN_SECONDS s after $WARM_SECONDS s; load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
for protocol in $PROTOCOLS; do
    case $protocol in xembed | sni) run "$protocol" ;; *) echo "unknown protocol $protocol" >&2; exit 1 ;; esac
done
