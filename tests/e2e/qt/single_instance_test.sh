#!/usr/bin/env bash
# Drives the built desktop program on a private X server (Xvfb) started here:
# - three copies started at once give exactly one window, and the other two exit with status 0;
# - a fourth start while it runs exits with status 0 and leaves the knowledge file alone;
# - a copy that was killed does not stop the next start;
# - Esc closes the window, the program exits with status 0 and has written its knowledge file.
# Every process started here is ended on the way out, whatever happens.
set -uo pipefail
program=$1
screenshot_dir=$2

scratch=$(mktemp -d)
started=()
cleanup() {
    for pid in "${started[@]}"; do
        kill -9 "$pid" 2>/dev/null
    done
    for pid in "${started[@]}"; do
        wait "$pid" 2>/dev/null
    done
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
    echo "FAIL: $*" >&2
    for log in "$scratch"/*.log; do
        [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; cat "$log" >&2; }
    done
    exit 1
}

# Waits up to $1 seconds for the rest of the arguments to succeed.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# -noreset: the server must stay up when its last client, the killed copy, goes.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" 2>"$scratch/xvfb.log" &
started+=($!)
wait_for 15 test -s "$scratch/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$scratch/display")"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
# The lock and the socket of the single-instance start live here, away from a real session.
export XDG_RUNTIME_DIR="$scratch/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The knowledge file lies beside the program file: run a copy of the program from here.
mkdir "$scratch/app"
cp "$program" "$scratch/app/wobbet"
app="$scratch/app/wobbet"
knowledge="$scratch/app/Wobbet.dat"
printf 'Fine, thanks\r\nHELLO\r\n\r\n' >"$knowledge"
touch -d '2001-01-01 00:00:00' "$knowledge"
knowledge_before=$(stat -c '%Y %s' "$knowledge")

main_windows() {
    xdotool search --name '^QUIB Wobbet$' 2>/dev/null
}
window_count() {
    main_windows | wc -l
}
has_window() {
    [ "$(window_count)" -ge 1 ]
}
running_count() {
    local count=0 pid
    for pid in "$@"; do
        kill -0 "$pid" 2>/dev/null && count=$((count + 1))
    done
    echo "$count"
}
one_left_running() {
    [ "$(running_count "$@")" -eq 1 ]
}

copies=()
for i in 1 2 3; do
    "$app" >"$scratch/copy$i.log" 2>&1 &
    copies+=($!)
    started+=($!)
done
wait_for 20 has_window || fail "no window appeared"
wait_for 15 one_left_running "${copies[@]}" || fail "$(running_count "${copies[@]}") copies still run"
sleep 1
[ "$(window_count)" -eq 1 ] || fail "$(window_count) windows instead of one"
running=""
for pid in "${copies[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
        running=$pid
    else
        wait "$pid" || fail "a later copy exited with status $?"
    fi
done

timeout 15 "$app" >"$scratch/fourth.log" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "the fourth start exited with status $status"
[ "$(window_count)" -eq 1 ] || fail "$(window_count) windows after the fourth start"
[ "$(stat -c '%Y %s' "$knowledge")" = "$knowledge_before" ] ||
    fail "the fourth start touched the knowledge file"

mkdir -p "$screenshot_dir"
import -window root "$screenshot_dir/xvfb-desktop.png" || fail "no screenshot"

kill -9 "$running"
wait "$running" 2>/dev/null
wait_for 10 bash -c "! xdotool search --name '^QUIB Wobbet$' >/dev/null 2>&1" ||
    fail "the killed copy's window stayed"
"$app" >"$scratch/after-kill.log" 2>&1 &
after_kill=$!
started+=($after_kill)
wait_for 20 has_window || fail "no window after a copy was killed"

window=$(main_windows | head -n 1)
xdotool windowfocus --sync "$window" || fail "cannot focus the window"
# A picture of a conversation: the reply in the window, the character saying it once it has
# finished greeting.
sleep 2.5
xdotool type --delay 30 "what does quib stand for"
xdotool key Return
sleep 0.8
import -window root "$screenshot_dir/character-answering.png" || fail "no screenshot"
xdotool key Escape
wait_for 15 bash -c "! kill -0 $after_kill 2>/dev/null" || fail "Esc did not close the program"
wait "$after_kill"
status=$?
[ "$status" -eq 0 ] || fail "the program exited with status $status after Esc"
[ "$(stat -c '%Y %s' "$knowledge")" != "$knowledge_before" ] ||
    fail "closing did not write the knowledge file"
grep -q 'Fine, thanks' "$knowledge" || fail "the written knowledge file lost its record"
echo "one window, later starts exit 0, a killed copy does not block, Esc saves and exits"
