#!/usr/bin/env bash
# Checks the Debian package in the build directory: its contents and dependencies, lintian
# (errors fail), then installs it with apt-get, talks to wobbet-console and wobbet-jsonl through
# pipes, and removes it, leaving none of its files behind. Changes the system: for CI, as root.
set -euo pipefail
packages=("$1"/wobbet_*.deb)
package=$(realpath "${packages[0]}")
fail() { echo "FAIL: $*" >&2; exit 1; }
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
! dpkg-query -W wobbet >/dev/null 2>&1 || fail "wobbet is installed already; remove it first"

files=$(dpkg-deb -c "$package" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }')
for path in /usr/bin/wobbet /usr/bin/wobbet-console /usr/bin/wobbet-jsonl \
    /usr/share/applications/wobbet.desktop /usr/share/man/man6/wobbet.6.gz \
    /usr/share/man/man6/wobbet-console.6.gz /usr/share/man/man6/wobbet-jsonl.6.gz \
    /usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/wobbet.png; do
    grep -qxF "$path" <<<"$files" || fail "the package lacks $path"
done
dpkg-deb -f "$package" Depends | grep -q 'libqt6widgets6' || fail "dependencies not worked out"
lintian --fail-on error "$package"

scratch=$(mktemp -d)
trap '$sudo apt-get purge -y -q wobbet >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT
$sudo apt-get install -y -q "$package" >/dev/null
# nice weather teaches Wobbet a lesson, which is kept in the user's data folder.
printf 'nice weather\n' | HOME="$scratch" wobbet-console --seed 1 | grep -q . || fail "no answer"
printf '{"say": "hello"}\n' | HOME="$scratch" wobbet-jsonl --seed 1 | grep -q '"reply"' ||
    fail "no JSON answer"
[ -f "$scratch/.local/share/wobbet/Wobbet.dat" ] || fail "no knowledge saved in the data folder"
$sudo apt-get purge -y -q wobbet >/dev/null
while read -r path; do
    [ ! -e "$path" ] || fail "$path is left after removal"
done <<<"$files"
