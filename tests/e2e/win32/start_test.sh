#!/usr/bin/env bash
# Starting: trouble with the knowledge file is shown in a message box and loses nothing; a second
# start brings the running copy forward, restoring it when minimised, and ends by itself.
source "$(dirname "$0")/e2e_lib.sh"
setup start

# A record, then a second empty line where the next reply should be.
printf 'Nice weather today.\r\nWEATHER\r\n\r\n\r\nLost\r\n\r\n' >"$work/Wobbet.dat"
before=$(file_state)
start_wobbet
first=$wobbet_pid
park_character
expect "loading shows a message box saying what went wrong and what it means" yes shows Wobbet \
    "Storage error: Space misalignment. Records added in this session cannot be saved."
click_on Wobbet 1
expect "OK closes it" 0 probe count Wobbet
expect "then the main window opens" 1 probe count "$MAIN"

# Another program in front, so that bringing the running copy forward shows.
"$WINE_RUN" notepad >/dev/null 2>&1 &
notepad=$!
expect "another program opens" 1 probe count "Untitled - Notepad"
click_on "Untitled - Notepad"
expect "and comes in front" "0 1 0" probe state "Untitled - Notepad"
start_wobbet
exits "a second start ends by itself"
expect "leaving one window, brought forward" "1 0 1 0" \
    eval 'echo "$(probe count "$MAIN") $(probe state "$MAIN")"'
probe post "Untitled - Notepad" $WM_CLOSE 0
exits "the other program ends" $notepad
probe post "$MAIN" $WM_SYSCOMMAND 0xF020
expect "the running window is minimised" 1 state_of "$MAIN" 1
start_wobbet
exits "a start while it is minimised ends by itself too"
expect "and restores the running window" 0 state_of "$MAIN" 1
expect "still one window" 1 probe count "$MAIN"

wobbet_pid=$first
say weather "Nice weather today."
teach green "Like grass."
click_on "$MAIN" $INPUT_BOX
xdotool key Escape
exits "Esc ends the program without a word"
check "the second starts and the run left the damaged file as it was" "$(file_state)" "$before"

# The mutex went with the process that made it. A folder where the file should go: the new
# content cannot take its place.
rm "$work/Wobbet.dat"
start_wobbet
park_character
expect "the next start opens a window again" 1 probe count "$MAIN"
teach green "Like grass."
mkdir "$work/Wobbet.dat"
probe post "$MAIN" $WM_CLOSE 0
expect "closing shows a message box saying the save failed" yes shows Wobbet \
    "Storage error: Save failed."
click_on Wobbet 1
exits "the program ends once the message is read"
check "the folder is still there, and nothing else beside the program" "$(ls -p "$work")" \
    "$(printf 'Wobbet.dat/\nWobbet.exe\ndisplay')"
