#!/usr/bin/env bash
# A knowledge file that cannot be read whole is reported at start and never overwritten, even
# when the run learns something.
source "$(dirname "$0")/e2e_lib.sh"
setup damaged_file

# A record, then a second empty line where the next reply should be.
printf 'Nice weather today.\r\nWEATHER\r\n\r\n\r\nLost\r\n\r\n' >"$work/Wobbet.dat"
file_before=$(file_state "$work/Wobbet.dat")

start_wobbet
expect_ok "loading shows a message box" probe wait "$MESSAGE_TITLE"
expect_contains "the message says what went wrong and what it means" \
    "Storage error: Space misalignment. Records added in this session cannot be saved." \
    "$(probe controls "$MESSAGE_TITLE")"
screenshot "$MESSAGE_TITLE" damaged-file-message.png
click_on "$MESSAGE_TITLE" 1
expect_ok "OK closes the message box" probe wait-gone "$MESSAGE_TITLE"
expect_ok "then the main window opens" probe wait "$MAIN_TITLE"

say "weather" "Nice weather today."
click_on "$MAIN_TITLE" "$TEACH"
expect_ok "Teach... opens the Teach dialog" probe wait Teach
xdotool type --delay 15 "green"
xdotool key Tab
xdotool type --delay 15 "Like grass."
xdotool key Return
expect_ok "the Teach dialog closes" probe wait-gone Teach

click_on "$MAIN_TITLE" "$INPUT_BOX"
xdotool key Escape
expect_wobbet_exits "Esc ends the program without a word"
expect_eq "the damaged file is left as it was" "$(file_state "$work/Wobbet.dat")" "$file_before"
