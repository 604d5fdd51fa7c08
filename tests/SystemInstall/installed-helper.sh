#!/bin/sh
# The helper's system install, as root makes it through polkit, under a temporary system root: every ELF
# file the install writes loads no project code from outside the install folder, and the installed
# programs still start while the build's shared libraries are out of the way.
# Usage: installed-helper.sh <bundled helper> <client application> <the build's Frameworks folder>
set -u
helper=$1 client=$2 frameworks=$3
label=$(basename "$helper")
work=$(mktemp -d)
root=$work/system
install_dir=$root/usr/local/libexec/aerlo
installed=$install_dir/$label
hidden=$frameworks.hidden-$$
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

bring_back() { if [ -d "$hidden" ]; then mv "$hidden" "$frameworks"; fi; }
finish() {
  bring_back
  if [ -x "$installed" ]; then "$installed" --uninstall-system --system-root "$root" >/dev/null 2>&1; fi
  rm -rf "$work"
}
trap finish EXIT
trap 'exit 1' INT TERM

# Without systemd the install copies the keep-alive as well and starts the helper under it.
if ! "$helper" --install-system --client "$client" --system-root "$root" --smc inproc:mbp-intel-2fan; then
  echo "FAIL: the install failed"; exit 1
fi
[ -x "$installed" ] || fail "no installed helper"
[ -x "$install_dir/$label.keepalive" ] || fail "no installed keep-alive"

inside() { case "$1" in "$install_dir" | "$install_dir"/*) return 0 ;; *) return 1 ;; esac; }

elf_files=0
for file in $(find "$root" -type f); do
  [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
  elf_files=$((elf_files + 1))
  origin=$(dirname "$file")
  for path in $(readelf -d "$file" | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]/\2/p' | tr ':' ' '); do
    resolved=$(realpath -m "$(printf '%s' "$path" | sed "s|\\\$ORIGIN|$origin|g; s|\\\${ORIGIN}|$origin|g")")
    inside "$resolved" || fail "$file: search path $path is outside $install_dir"
  done
  ldd "$file" | while read -r name arrow target rest; do
    case "$name" in libAerlo* | libQVToolsKit*) ;; *) continue ;; esac
    if [ "$arrow" != "=>" ] || ! inside "$(realpath -m "$target")"; then
      echo "FAIL: $file: $name resolves to $target"
      exit 1
    fi
  done || failures=$((failures + 1))
done
[ "$elf_files" -ge 2 ] || fail "only $elf_files ELF files installed"

# The build's libraries gone, the installed restore step and the uninstall still run.
mv "$frameworks" "$hidden" || { echo "FAIL: cannot move $frameworks aside"; exit 1; }
AERLO_HELPER_INSTALL=system AERLO_SYSTEM_ROOT=$root AERLO_SMC=inproc:mbp-intel-2fan "$installed" --restore ||
  fail "the installed restore step did not run (status $?)"
grep -q '"restore"' "$root/var/log/aerlo/$label.log" || fail "the restore step logged nothing"
"$installed" --uninstall-system --system-root "$root" || fail "the installed uninstall did not run"
[ -e "$installed" ] && fail "the uninstall left the helper"
bring_back

[ "$failures" -eq 0 ] || exit 1
echo "$elf_files ELF files checked"
