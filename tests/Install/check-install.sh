#!/bin/sh
# Installs the build into a temporary folder as `make install` does (prefix /usr/local) and checks what the desktop
# and the dynamic loader find there: valid desktop entry and metainfo, the files the program needs
# (Packaging/installed-files), the launcher, and programs and libraries that run from where they lie.
# Usage: check-install.sh <build folder> <source folder>
set -eu
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
DESTDIR="$work/root" cmake --install "$build" --prefix /usr/local >"$work/install.log"
root="$work/root/usr/local"
id=com.norvane.AerloOffline
status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

desktop-file-validate "$root/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" >"$work/appstream.log" 2>&1 \
    || { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }
while read -r file; do
    [ -s "$root/$file" ] || fail "missing $file"
done <"$source/Packaging/installed-files"
[ "$(readlink -f "$root/bin/aerlo")" = "$(readlink -f "$root/lib/aerlo/Aerlo.app/Contents/MacOS/Aerlo")" ] \
    || fail "bin/aerlo does not start the bundle's program"
grep -rl "$(readlink -f "$build")" "$root/share" "$root/lib/aerlo/Aerlo.app/Contents/Info.json" \
    && fail "files name the build folder"

# Every program and library: a run path relative to itself only, and each of our libraries found in the bundle.
elves=0
for file in $(find "$root" -type f -perm -u+x) $(find "$root" -name '*.so'); do
    [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" = "177ELF" ] || continue
    elves=$((elves + 1))
    for path in $(readelf -d "$file" | sed -n 's/.*(\(RPATH\|RUNPATH\)).*\[\(.*\)\]/\2/p' | tr ':' ' '); do
        case $path in
        '$ORIGIN' | '$ORIGIN/'*) ;;
        *) fail "$file: run path $path" ;;
        esac
    done
    ldd "$file" >"$work/ldd" 2>&1 || true
    grep -q "not found" "$work/ldd" && fail "$file: $(grep 'not found' "$work/ldd" | tr -s ' \t' ' ')"
    grep -E 'libAerlo|libQVToolsKit' "$work/ldd" | grep -v "=> $work/root" && fail "$file: a library from elsewhere"
done
[ $elves -ge 12 ] || fail "only $elves programs and libraries installed"
exit $status
