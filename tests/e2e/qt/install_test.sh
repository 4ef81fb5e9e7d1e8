#!/usr/bin/env bash
# Installs into a scratch prefix and checks that the programs, desktop entry, icons and man
# pages land where desktops look for them, and that an installed copy keeps its knowledge in the
# user's data folder while the prefix is read-only; a copy moved out of the prefix is portable.
set -euo pipefail
build_dir=$1
scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
# A space in the prefix checks that the entry quotes the program's path.
prefix="$scratch/a prefix"

cmake --install "$build_dir" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
for program in wobbet wobbet-console; do
    [ -x "$prefix/bin/$program" ] && [ -f "$prefix/share/man/man6/$program.6.gz" ] || fail "$program or its man page missing"
done
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

# Root writes anywhere: the program then runs as nobody, for whom the prefix is out of reach.
home="$scratch/home"
mkdir "$home"
as_user=()
[ "$(id -u)" -ne 0 ] || { chown nobody "$home"; as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups); }
chmod -R a-w "$prefix"
converse() { # program, input lines...
    printf '%s\n' "${@:2}" | env -u XDG_DATA_HOME HOME="$home" "${as_user[@]}" "$1" --seed 1 2>&1
}
converse "$prefix/bin/wobbet-console" /teach "installed question" "installed answer" >/dev/null
grep -qi "installed answer" "$home/.local/share/wobbet/Wobbet.dat" || fail "no knowledge in the data folder"
[ "$(stat -c %a "$home/.local/share/wobbet")" = 700 ] || fail "the knowledge folder is not private"
converse "$prefix/bin/wobbet-console" "installed question" | grep -qi "installed answer" ||
    fail "the installed copy did not read back what it learned"
cp "$prefix/bin/wobbet-console" "$home/"
converse "$home/wobbet-console" /teach "portable question" "portable answer" >/dev/null
grep -qi "portable answer" "$home/Wobbet.dat" || fail "a copied program did not keep Wobbet.dat beside itself"
echo "installed, valid, and saving in the user's data folder"
