#!/usr/bin/env bash
# A whole session through the real windows: Say, Teach, About through the system menu, the
# built-in character with its balloon, menu and properties; then every way of closing, each of
# which saves first, and restarts that answer from what was kept.
source "$(dirname "$0")/e2e_lib.sh"
setup session
# The built-in character's settings from an earlier run would hide what this one writes.
"$WINE_RUN" reg delete 'HKCU\Software\Wobbet' /f >/dev/null 2>&1 || true

start_wobbet
expect "the main window opens" 1 probe count "$MAIN"
park_character
expect "without a character server the built-in one stands in: layered, on top, of its size" \
    "8080088 144 144" \
    eval 'echo "$(probe exstyle $CHARACTER) $(probe rect $CHARACTER | cut -d " " -f 3,4)"'
expect "and the reply box stays empty" "" probe text "$MAIN" $REPLY_BOX
expect "Context is ticked at start" 1 probe check "$MAIN" $CONTEXT
expect "the focus starts in the input box" $INPUT_BOX probe focus "$MAIN"
read -r _ _ width height < <(probe rect "$MAIN")
expect "the window opens in the middle of the 800x600 desktop" \
    "$((400 - width / 2)) $((300 - height / 2)) $width $height" probe rect "$MAIN"
# "hello" is all of record 0's: the program is sure and does not learn.
say hello Hello.
# No voice speaks under Wine: the balloon shows the whole reply for a reading time, then closes.
expect "the reply went into the character's balloon" Hello. probe title $BALLOON
expect "the unheard reply's balloon closes by itself" 0 probe count $BALLOON
read -r x y _ _ < <(probe rect $CHARACTER)
xdotool mousemove $((x + 72)) $((y + 90)) mousedown 1 mousemove $((x + 172)) $((y + 40)) mouseup 1
expect "the character follows the mouse that drags it" "$((x + 100)) $((y - 50))" \
    eval 'probe rect $CHARACTER | cut -d " " -f 1,2'
xdotool click 3 && xdotool key h
expect "its context menu's Hide hides it" 0 probe count $CHARACTER
expect "the input box keeps the focus after Say" $INPUT_BOX probe focus "$MAIN"
teach "never mind" "whatever" Escape
expect "a cancelled Teach leaves the reply" Hello. probe text "$MAIN" $REPLY_BOX
expect "a cancelled Teach leaves Context ticked" 1 probe check "$MAIN" $CONTEXT
teach "purple elephants" "they never forget."
expect "Teach clears Context" 0 probe check "$MAIN" $CONTEXT
say "Purple elephants?" "They never forget."
expect "the next reply brings the hidden character back" 1 probe count $CHARACTER
park_character

# Any command from the About item's up to its low bits set opens the About box.
probe post "$MAIN" $WM_SYSCOMMAND 0x001F
expect "the About item's command opens the About box" yes shows "About Wobbet" \
    "QUIB Wobbet Version 2.2"
click_on "About Wobbet" 1
expect "OK closes it" 0 probe count "About Wobbet"
click_on "$MAIN" $INPUT_BOX
xdotool key alt+space
expect "Alt+Space opens the system menu" 1 state_of "$MAIN" 3
xdotool key Up Return
expect "the real system menu's last item opens the About box" 1 probe count "About Wobbet"
xdotool key Escape
expect "Esc closes it" 0 probe count "About Wobbet"
expect "and the main window is as it was" "They never forget." probe text "$MAIN" $REPLY_BOX
sound_setting() {
    "$WINE_RUN" reg query 'HKCU\Software\Wobbet' /v Sound 2>/dev/null | awk '/Sound/ { print $3 }'
}
for button in 2 1; do # Cancel, then OK with the sound switched off
    click_on "$MAIN" 1003
    expect "Characters... opens the built-in character's properties" 1 \
        probe count "Character Properties"
    [ $button = 1 ] && click_on "Character Properties" 1103
    click_on "Character Properties" $button
    expect "its button closes them" 0 probe count "Character Properties"
    check "the choice is kept only when made" "$(sound_setting | tr -d '\r')" \
        "$([ $button = 1 ] && echo 0x0)"
done

expected='They never forget.\r\nPURPLE\r\nELEPHANTS\r\n\r\n'
ways=(Esc Alt+F4 "the close box" "the system menu's Close") taught=("" RED GREEN BLUE)
for i in 0 1 2 3; do
    way=${ways[i]}
    if [ $i -gt 0 ]; then
        start_wobbet
        expect "the program starts again" 1 probe count "$MAIN"
        park_character
        say "Elephants? Purple!" "They never forget."
        teach "${taught[i],,}" "Closed with $way."
        expected+="Closed with $way.\r\n${taught[i]}\r\n\r\n"
    fi
    case $way in
    Esc) click_on "$MAIN" $INPUT_BOX && xdotool key Escape ;;
    Alt+F4) click_on "$MAIN" $INPUT_BOX && xdotool key alt+F4 ;;
    "the close box") # at the caption's right end
        read -r x y width _ < <(probe rect "$MAIN")
        xdotool mousemove $((x + width - 14)) $((y + 12)) click 1 ;;
    *) probe post "$MAIN" $WM_SYSCOMMAND 0xF060 ;;
    esac
    exits "$way ends the program"
    expect_file "what was taught is saved when $way closes" "$expected"
done
