#!/usr/bin/env bash
# The desktop program, offscreen, ends the ordinary way when told to by a signal (a logout
# without a session manager, kill, Ctrl+C) and exits with status 0; the file named with
# --knowledge, having learned nothing, keeps its bytes and its time; a command line it does not
# understand gets its usage; --help and --version need no display.
set -uo pipefail
scratch=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null; wait; rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2 && exit 1; }
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$scratch"

"$1" --knowledge 2>"$scratch/usage"
[ $? -eq 2 ] && grep -q -- "--knowledge <FILE>" "$scratch/usage" || fail "no usage for a bad command line"
for option in --help --version; do
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" $option >"$scratch/out" 2>&1 &&
        grep -qx -- "wobbet [0-9.]*\|.*--knowledge <FILE>.*" "$scratch/out" || fail "$option without a display"
done

for signal in TERM HUP INT; do
    # Written with bare line feeds, which a save would turn into CR LF.
    printf 'Fine, thanks\nHELLO\n!\nGOOD\n\n' >"$scratch/$signal.dat"
    touch -d 2001-01-01 "$scratch/$signal.dat"
    "$1" --knowledge "$scratch/$signal.dat" 2>/dev/null &
    copy=$!
    # The lock appears once the signals are held back; the window's loop then reads them.
    for _ in $(seq 100); do compgen -G "$scratch/*.lock" >/dev/null && break; sleep 0.1; done
    sleep 1
    kill -s "$signal" "$copy"
    # Ended means gone or a zombie: an unreaped copy still accepts kill, so kill's answer says nothing.
    ended=false
    for _ in $(seq 200); do ps -o stat= -p "$copy" | grep -qv '^Z' || { ended=true && break; }; sleep 0.1; done
    $ended || { kill -9 "$copy" && fail "SIG$signal: still running 20 s later"; }
    wait "$copy" || fail "SIG$signal: exit status $?"
    [ "$(cat "$scratch/$signal.dat")" = "$(printf 'Fine, thanks\nHELLO\n!\nGOOD\n')" ] &&
        [ "$(date -r "$scratch/$signal.dat" +%F)" = 2001-01-01 ] ||
        fail "SIG$signal: the untouched knowledge file was written"
done
echo "stop signals: 3 passed, 0 failed"
