#!/usr/bin/env bash
# A second start brings the running copy forward, restoring it when minimised, and ends
# without a window of its own and without touching the knowledge file.
source "$(dirname "$0")/e2e_lib.sh"
setup single_instance

printf 'Nice weather today.\r\n\r\n' >"$work/Wobbet.dat"
start_wobbet
first_pid=$wobbet_pid
expect_ok "the first copy opens its window" probe wait "$MAIN_TITLE"

answers_probe() { # wParam lParam
    local answer="" id=""
    read -r answer id < <(probe ask "$MAIN_TITLE" "$PROBE_MESSAGE" "$1" "$2" | tr -d '\r') || true
    [ -n "$id" ] && [ "$answer" = "$id" ]
}
expect_ok "the main window answers the probe with the message's own id" answers_probe 0 0
expect_ok "whatever the probe's arguments" answers_probe 123 -5

# Another program in front, so that bringing the running copy forward shows.
"$WINE_RUN" notepad >/dev/null 2>&1 &
notepad_pid=$!
expect_ok "another program opens" probe wait "Untitled - Notepad"
click_on "Untitled - Notepad"
expect_ok "and is in front" probe foreground-is "Untitled - Notepad"

file_before=$(file_state "$work/Wobbet.dat")
start_wobbet
status=0
wait_exit "$wobbet_pid" || status=$?
expect_eq "a second start ends by itself" "$status" 0
expect_probe "and leaves one window" 1 count "$MAIN_TITLE"
expect_ok "the running copy's window is brought forward" probe foreground-is "$MAIN_TITLE"
probe close "Untitled - Notepad"
expect_ok "the other program ends" wait_exit "$notepad_pid"

probe syscommand "$MAIN_TITLE" "$SC_MINIMIZE"
expect_probe "the running window is minimised" 1 iconic "$MAIN_TITLE"
start_wobbet
status=0
wait_exit "$wobbet_pid" || status=$?
expect_eq "a start while the window is minimised ends by itself too" "$status" 0
expect_probe "and restores the running window" 0 iconic "$MAIN_TITLE"
expect_probe "still one window" 1 count "$MAIN_TITLE"
expect_eq "the second starts left the knowledge file alone" "$(file_state "$work/Wobbet.dat")" \
    "$file_before"

wobbet_pid=$first_pid
say "hello" "Hello."
click_on "$MAIN_TITLE" "$INPUT_BOX"
xdotool key Escape
expect_wobbet_exits "the first copy ends with Esc"

# The mutex went with the process that made it.
start_wobbet
expect_ok "the next start opens a window again" probe wait "$MAIN_TITLE"
click_on "$MAIN_TITLE" "$INPUT_BOX"
xdotool key Escape
expect_wobbet_exits "and ends with Esc"
