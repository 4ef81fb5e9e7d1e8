#!/usr/bin/env bash
# A whole session through the real windows: start, Say, Teach, About, Esc; the knowledge file
# written at the end; a restart that answers from what was learned.
source "$(dirname "$0")/e2e_lib.sh"
setup conversation

start_wobbet
expect_ok "the main window opens" probe wait "$MAIN_TITLE"
expect_probe "without a character server the reply box says where to get one" \
    "$NOT_FOUND_TEXT" text "$MAIN_TITLE" "$REPLY_BOX"
expect_probe "Context is ticked at start" 1 check "$MAIN_TITLE" "$CONTEXT"
expect_probe "the focus starts in the input box" "$INPUT_BOX" focus "$MAIN_TITLE"
expect_contains "the manifest brings in version 6 of the common controls" \
    "\\winsxs\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6.0" \
    "$(probe module "$MAIN_TITLE" comctl32.dll | tr -d '\r' | tr 'A-Z' 'a-z')"
read -r _ _ width height < <(probe rect "$MAIN_TITLE" | tr -d '\r')
expect_probe "the window opens in the middle of the 800x600 desktop" \
    "$((400 - width / 2)) $((300 - height / 2)) $width $height" rect "$MAIN_TITLE"

# "hello" is all of record 0's: the program is sure and does not learn.
say "hello" "Hello."
expect_probe "the input box keeps the focus after Say" "$INPUT_BOX" focus "$MAIN_TITLE"
screenshot "$MAIN_TITLE" main-window.png

# Teach, cancelled: nothing changes.
click_on "$MAIN_TITLE" "$TEACH"
expect_ok "Teach... opens the Teach dialog" probe wait Teach
expect_probe "the Teach dialog opens with the focus in its phrase box" "$TEACH_PHRASE" focus Teach
xdotool type --delay 15 "never mind"
xdotool key Escape
expect_ok "Esc closes the Teach dialog" probe wait-gone Teach
expect_probe "a cancelled Teach leaves the reply" "Hello." text "$MAIN_TITLE" "$REPLY_BOX"
expect_probe "a cancelled Teach leaves Context ticked" 1 check "$MAIN_TITLE" "$CONTEXT"

# Teach, for real: the phrase, Tab, the reply, Enter presses OK.
click_on "$MAIN_TITLE" "$TEACH"
expect_ok "Teach... opens the Teach dialog again" probe wait Teach
expect_probe "the Teach dialog opens empty" "" text Teach "$TEACH_PHRASE"
xdotool type --delay 15 "purple elephants"
xdotool key Tab
xdotool type --delay 15 "they never forget."
screenshot Teach teach-dialog.png
xdotool key Return
expect_ok "Enter in the Teach dialog ends it" probe wait-gone Teach
expect_probe "Teach clears Context" 0 check "$MAIN_TITLE" "$CONTEXT"
say "Purple elephants?" "They never forget."

# The system menu's About item, and every command from 0x0010 to 0x001F.
probe syscommand "$MAIN_TITLE" 0x0010
expect_ok "the About item opens the About box" probe wait "About Wobbet"
screenshot "About Wobbet" about-box.png
expect_contains "the About box names the program" "QUIB Wobbet Version 2.2" \
    "$(probe controls "About Wobbet")"
xdotool key Escape
expect_ok "Esc closes the About box" probe wait-gone "About Wobbet"
probe syscommand "$MAIN_TITLE" 0x001F
expect_ok "command 0x001F opens the About box too" probe wait "About Wobbet"
click_on "About Wobbet" 1
expect_ok "OK closes the About box" probe wait-gone "About Wobbet"
expect_probe "the About box leaves the main window as it was" "They never forget." \
    text "$MAIN_TITLE" "$REPLY_BOX"

# The real system menu, from the keyboard: its last item is ours.
click_on "$MAIN_TITLE" "$INPUT_BOX"
xdotool key alt+space
sleep 0.5
read -r x y width height < <(probe rect "$MAIN_TITLE" | tr -d '\r')
import -window root "$work/screen.png"
/usr/bin/convert "$work/screen.png" -crop "${width}x$((height + 120))+${x}+${y}" +repage \
    "$SCREENSHOT_DIR/system-menu.png"
xdotool key Up Return
expect_ok "the system menu's last item opens the About box" probe wait "About Wobbet"
xdotool key Escape
expect_ok "which Esc closes" probe wait-gone "About Wobbet"

click_on "$MAIN_TITLE" "$INPUT_BOX"
xdotool key Escape
expect_wobbet_exits "Esc in the main window ends the program"
expect_eq "Wobbet.dat holds the taught record" "$(od -An -c "$work/Wobbet.dat")" \
    "$(printf 'They never forget.\r\nPURPLE\r\nELEPHANTS\r\n\r\n' | od -An -c)"

start_wobbet
expect_ok "the program starts again" probe wait "$MAIN_TITLE"
say "Elephants? Purple!" "They never forget."
click_on "$MAIN_TITLE" "$INPUT_BOX"
xdotool key Escape
expect_wobbet_exits "the second run ends with Esc too"
expect_eq "Wobbet.dat still holds the taught record" "$(od -An -c "$work/Wobbet.dat")" \
    "$(printf 'They never forget.\r\nPURPLE\r\nELEPHANTS\r\n\r\n' | od -An -c)"
