#!/bin/sh
# The systemd unit the helper's system install writes, as systemd itself reads it: `systemd-analyze
# verify` finds nothing, and its exposure (`systemd-analyze security --offline=true`) is at most 3.0.
# Usage: helper-unit.sh <bundled helper> <client application>
set -u
helper=$1 client=$2
label=$(basename "$helper")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/system

# A system root that systemd runs, with a systemctl that records and starts nothing but the socket.
mkdir -p "$root/run/systemd/system" "$root/usr/bin"
cat > "$root/usr/bin/systemctl" <<SCRIPT
#!/bin/sh
[ "\$1" = restart ] && touch "$root/run/aerlo/$label.sock"
exit 0
SCRIPT
chmod 755 "$root/usr/bin/systemctl"
"$helper" --install-system --client "$client" --system-root "$root" || { echo "FAIL: the install failed"; exit 1; }
unit=$root/etc/systemd/system/$label.service
[ -f "$unit" ] || { echo "FAIL: no unit written"; exit 1; }

failures=0
if ! output=$(systemd-analyze verify "$unit" 2>&1) || [ -n "$output" ]; then
  echo "FAIL: systemd-analyze verify:"; echo "$output"; failures=1
fi
report=$(systemd-analyze security --offline=true "$unit" 2>&1)
score=$(printf '%s\n' "$report" | sed -n 's/.*Overall exposure level for .*: \([0-9.]*\).*/\1/p')
echo "exposure: ${score:-none}"
if [ -z "$score" ] || ! awk -v s="$score" 'BEGIN { exit !(s <= 3.0) }'; then
  echo "FAIL: exposure above 3.0:"; printf '%s\n' "$report"; failures=1
fi
exit $failures
