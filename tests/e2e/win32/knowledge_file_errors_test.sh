#!/usr/bin/env bash
# Trouble with the knowledge file is reported in a message box: a file that cannot be read
# whole at start, which is then never overwritten, even when the run learns something; and a
# save that fails at shutdown.
source "$(dirname "$0")/e2e_lib.sh"
setup knowledge_file_errors

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

# A save that fails at shutdown is reported while the window goes, and loses nothing else.
rm "$work/Wobbet.dat"
start_wobbet
expect_ok "the main window opens without a file" probe wait "$MAIN_TITLE"
click_on "$MAIN_TITLE" "$TEACH"
expect_ok "Teach... opens the Teach dialog" probe wait Teach
xdotool type --delay 15 "green"
xdotool key Tab
xdotool type --delay 15 "Like grass."
xdotool key Return
expect_ok "the Teach dialog closes" probe wait-gone Teach
# A folder where the file should go: the new content cannot take its place.
mkdir "$work/Wobbet.dat"
probe close "$MAIN_TITLE"
expect_ok "closing shows a message box" probe wait "$MESSAGE_TITLE"
expect_contains "saying the save failed" "Storage error: Save failed." \
    "$(probe controls "$MESSAGE_TITLE")"
click_on "$MESSAGE_TITLE" 1
expect_wobbet_exits "the program ends once the message is read"
expect_ok "the folder is still there" test -d "$work/Wobbet.dat"
expect_eq "and nothing else is left beside the program" \
    "$(cd "$work" && ls | grep -v -e '^Wobbet' -e '^display$' -e '^screen.png$' || true)" ""
