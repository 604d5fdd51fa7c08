#!/bin/sh
# Fails, naming each file, when clang-format would change a C++ source of the tree (.clang-format at its top).
set -u
top=${1:-$(dirname "$0")/../..}
cd "$top" || exit 2
format=$(command -v clang-format-14 || command -v clang-format) || { echo "clang-format is not installed"; exit 2; }
list=$(mktemp) && trap 'rm -f "$list"' EXIT
find AerloControlHelper Classes Platform QVToolsKit Tools bench tests -name '*.cpp' -o -name '*.h' | sort >"$list"
bad=$(xargs -P 4 -n 100 "$format" --dry-run <"$list" 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning: code should be clang-formatted.*/\1/p' | sort -u)
if [ -n "$bad" ]; then
    echo "$bad" | sed "s|^|not formatted (run $format -i on it): |"
    exit 1
fi
echo "$(wc -l <"$list") files formatted"
