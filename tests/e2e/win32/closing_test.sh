#!/usr/bin/env bash
# Alt+F4, the close box and the system menu's Close end the program like Esc, saving first.
source "$(dirname "$0")/e2e_lib.sh"
setup closing

start_wobbet
expect_ok "the main window opens" probe wait "$MAIN_TITLE"
click_on "$MAIN_TITLE" "$INPUT_BOX"
xdotool key alt+F4
expect_wobbet_exits "Alt+F4 ends the program"
expect_eq "with nothing learned the file is created empty" "$(stat -c %s "$work/Wobbet.dat")" 0

start_wobbet
expect_ok "the main window opens again" probe wait "$MAIN_TITLE"
click_on "$MAIN_TITLE" "$TEACH"
expect_ok "Teach... opens the Teach dialog" probe wait Teach
xdotool type --delay 15 "blue"
xdotool key Tab
xdotool type --delay 15 "Like the sky."
xdotool key Return
expect_ok "the Teach dialog closes" probe wait-gone Teach
# The close box sits in the caption's right end.
read -r x y width _ < <(probe rect "$MAIN_TITLE" | tr -d '\r')
xdotool mousemove $((x + width - 14)) $((y + 12)) click 1
expect_wobbet_exits "the close box ends the program"
expect_eq "what was taught is saved" "$(od -An -c "$work/Wobbet.dat")" \
    "$(printf 'Like the sky.\r\nBLUE\r\n\r\n' | od -An -c)"

start_wobbet
expect_ok "the main window opens a third time" probe wait "$MAIN_TITLE"
say "blue" "Like the sky."
probe syscommand "$MAIN_TITLE" "$SC_CLOSE"
expect_wobbet_exits "Close from the system menu ends the program"
expect_eq "the learned record is written back" "$(od -An -c "$work/Wobbet.dat")" \
    "$(printf 'Like the sky.\r\nBLUE\r\n\r\n' | od -An -c)"
