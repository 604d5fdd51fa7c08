#!/bin/sh
# Checks a built package's file list: every file the installed program needs (Packaging/installed-files, under
# /usr), the launcher's link into the bundle, nothing outside the program's own places, and the display plugins
# among the dependencies. Usage: check-deb.sh <aerlo_*.deb>
set -eu
deb=$1
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' >"$work/contents"
sed 's/ -> .*//; s|/$||' "$work/contents" >"$work/paths"
while read -r file; do
    grep -qxF "./usr/$file" "$work/paths" || fail "missing /usr/$file"
done <"$here/installed-files"
grep -qxF './usr/bin/aerlo -> ../lib/aerlo/Aerlo.app/Contents/MacOS/Aerlo' "$work/contents" \
    || fail "/usr/bin/aerlo is no link to the bundle's program"
grep -vE '^\./usr(/bin|/bin/aerlo|/lib|/lib/aerlo(/.*)?|/share|/share/applications(/.*)?|/share/icons(/hicolor(/.*)?)?|/share/metainfo(/.*)?|/share/polkit-1(/.*)?)?$|^\.$' \
    "$work/paths" | sed 's/^/FAIL: outside the program'"'"'s places: /' | grep . >&2 && status=1
dpkg-deb -f "$deb" Depends | grep -q 'qt6-qpa-plugins' || fail "the display plugins are no dependency"
[ $status = 0 ] && echo "$deb: $(wc -l <"$work/paths") entries, as expected"
exit $status
