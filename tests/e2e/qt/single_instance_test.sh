#!/usr/bin/env bash
# Drives the built desktop program on a private X server: three copies started at once give one
# window and the other two exit with status 0; a copy that was killed does not stop the next.
# One copy per knowledge file: another file opens its own window, and a console and a window
# refuse, with status 1, a file that the other holds. Arguments: wobbet wobbet-console.
set -uo pipefail
scratch=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null; wait; rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2 && exit 1; }
windows() { xdotool search --name '^QUIB Wobbet$' 2>/dev/null | wc -l; }
windows_are() { [ "$(windows)" -eq "$1" ]; }
running() { ps -o stat= -p "$*" | grep -cv '^Z'; }
one_running() { [ "$(running "$@")" -eq 1 ]; }
wait_for() { # seconds, command...
    local deadline=$((SECONDS + $1)) && shift
    until "$@"; do [ "$SECONDS" -lt "$deadline" ] && sleep 0.1 || return 1; done
}

# -noreset: the server must stay up when its last client, the killed copy, goes.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null &
wait_for 15 test -s "$scratch/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$scratch/display")" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$scratch"
unset WAYLAND_DISPLAY
cp "$1" "$scratch/wobbet" # the knowledge file lies beside the program

copies=()
for _ in 1 2 3; do
    "$scratch/wobbet" 2>/dev/null &
    copies+=($!)
done
wait_for 20 windows_are 1 || fail "$(windows) windows instead of one"
wait_for 15 one_running "${copies[@]}" || fail "$(running "${copies[@]}") copies run"
sleep 1
windows_are 1 || fail "$(windows) windows instead of one"
for pid in "${copies[@]}"; do
    if [ "$(running "$pid")" -eq 1 ]; then
        kill -9 "$pid"
    else
        wait "$pid" || fail "a later copy exited with status $?"
    fi
done
wait_for 10 windows_are 0 || fail "the killed copy's window stayed"
"$scratch/wobbet" 2>/dev/null &
copies=($!)
wait_for 20 windows_are 1 || fail "no window after a copy was killed"

"$scratch/wobbet" --knowledge "$scratch/other.dat" 2>/dev/null &
copies+=($!)
wait_for 20 windows_are 2 || fail "$(windows) windows for two knowledge files"
"$2" --knowledge "$scratch/other.dat" </dev/null 2>"$scratch/refusal"
[ $? -eq 1 ] && grep -qxF "Storage error: $scratch/other.dat is in use by another Wobbet." \
    "$scratch/refusal" || fail "a console did not refuse a file a window holds"
# Alone on the display, so that the refusal's box gets the keys.
kill -9 "${copies[@]}"
wait_for 10 windows_are 0 || fail "the copies' windows stayed"
sleep 600 | "$2" --knowledge "$scratch/held.dat" &
wait_for 10 test -e "$scratch/held.dat.lock" || fail "the console took no lock"
"$scratch/wobbet" --knowledge "$scratch/held.dat" 2>/dev/null &
refused=$!
refusal() { xdotool search --onlyvisible --pid "$refused" --name '^wobbet$' 2>/dev/null; }
wait_for 20 refusal >/dev/null || fail "no refusal from a window"
# The box may not take keys the moment it shows.
dismissed() {
    xdotool key --window "$(refusal | head -n 1)" Return 2>/dev/null
    sleep 0.2 && [ "$(running "$refused")" -eq 0 ]
}
wait_for 20 dismissed || fail "the refusal did not end the program"
wait "$refused"
[ $? -eq 1 ] || fail "a window refusing a held file exited with another status"
windows_are 0 && [ ! -e "$scratch/held.dat" ] || fail "a window opened on a file a console holds"
echo "one window of three starts; a killed copy does not block the next; one program per file"
