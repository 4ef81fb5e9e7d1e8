#!/usr/bin/env bash
# Installs the desktop program into a scratch prefix and checks that the program, its desktop
# entry and its icons land where desktops look for them, and that the entry is valid.
set -euo pipefail
build_dir=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A space in the prefix checks that the entry quotes the program's path.
prefix="$scratch/a prefix"

cmake --install "$build_dir" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
[ -x "$prefix/bin/wobbet" ] || fail "bin/wobbet missing or not executable"
entry="$prefix/share/applications/wobbet.desktop"
[ -f "$entry" ] || fail "desktop entry missing"
for size in 16 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/wobbet.png"
    [ -f "$icon" ] || fail "icon $size missing"
    file "$icon" | grep -q "PNG image data, $size x $size" || fail "icon $size is not a $size px PNG"
done
grep -qx "Icon=wobbet" "$entry" || fail "entry does not name the icon"
grep -qxF "Exec=\"$prefix/bin/wobbet\"" "$entry" || fail "entry does not run the installed program"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects the entry"
echo "installed and valid"
