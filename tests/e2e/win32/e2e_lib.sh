# Shared by the Wine end-to-end scenarios: sourced, not run. Each scenario gets its own X display,
# a folder holding a copy of Wobbet.exe and its own Wine session, ended with the scenario. Set by
# CMake: WOBBET_EXE, WINDOW_PROBE, WINE_RUN, WINE_PREFIX (its prefix), WORK_ROOT.
set -euo pipefail

readonly MAIN="QUIB Wobbet" REPLY_BOX=1000 INPUT_BOX=1001 TEACH=1007 CONTEXT=1008
readonly WM_CLOSE=0x0010 WM_SYSCOMMAND=0x0112
# The built-in character and its speech balloon, which stand in for a character server.
readonly CHARACTER=class:WobbetCharacter BALLOON=class:WobbetBalloon
failures=0 work="" xvfb_pid="" wobbet_pid=""

probe() { "$WINE_RUN" "$WINDOW_PROBE" "$@" | tr -d '\r'; }
state_of() { probe state "$1" | cut -d ' ' -f "$2"; } # 1 minimised, 2 in front, 3 in a menu
shows() { [[ "$(probe text "$1")" == *"$2"* ]] && echo yes; }
file_state() { { od -An -c "$work/Wobbet.dat"; stat -c %Y.%y "$work/Wobbet.dat"; } 2>&1; }
expect_file() { check "$1" "$(od -An -c "$work/Wobbet.dat")" "$(printf "$2" | od -An -c)"; }

check() { # what, actual, expected
    [ "$2" = "$3" ] && echo "ok: $1" && return
    echo "FAIL: $1: got [$2], expected [$3]" >&2
    failures=$((failures + 1))
}

expect() { # what, expected, command...: polls for a few seconds until the command prints it
    local what=$1 expected=$2 actual="" && shift 2
    for _ in $(seq 25); do
        actual=$("$@" 2>/dev/null) && [ "$actual" = "$expected" ] && break
        sleep 0.2
    done
    check "$what" "$actual" "$expected"
}

setup() { # scenario name
    work="$WORK_ROOT/$1"
    rm -rf "$work" && mkdir -p "$work"
    cp "$WOBBET_EXE" "$work/Wobbet.exe"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    timeout 10 bash -c "until [ -s '$work/display' ]; do sleep 0.05; done"
    export DISPLAY=":$(cat "$work/display")"
    trap teardown EXIT
}

teardown() {
    local status=$?
    set +e
    # Ends this scenario's Wine session and its programs, whose desktop is on the display.
    WINEPREFIX="$WINE_PREFIX" wineserver -k 2>/dev/null
    kill "$xvfb_pid"
    wait $wobbet_pid "$xvfb_pid" 2>/dev/null
    [ "$failures" -eq 0 ] || status=1
    exit "$status"
}

start_wobbet() {
    "$WINE_RUN" "$work/Wobbet.exe" >/dev/null 2>&1 &
    wobbet_pid=$!
}

# This machine's init does not reap, so a zombie counts as ended.
running() { [[ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" =~ ^[^Z] ]]; }
# Waits up to 15 s for the process to end, which must exit with status 0.
exits() { # what, [pid]
    local pid=${2:-$wobbet_pid} tenths=0 status=0
    while running "$pid" && [ $((tenths += 1)) -le 150 ]; do sleep 0.1; done
    running "$pid" && status=124 || wait "$pid" || status=$?
    check "$1" "$status" 0
}

# The built-in character appears at a random spot, always on top: parked in the bottom left
# corner of the 800x600 desktop, it stays clear of what the scenario clicks.
park_character() {
    expect "the built-in character appears" 1 probe count $CHARACTER
    probe move $CHARACTER 0 $((600 - $(probe rect $CHARACTER | cut -d ' ' -f 4)))
}

# Real mouse input at the centre of a window or of one of its controls.
click_on() { # title [control id]
    local x y width height
    read -r x y width height < <(probe rect "$@")
    xdotool mousemove $((x + width / 2)) $((y + height / 2)) click 1
}

say() { # text, expected reply
    click_on "$MAIN" $INPUT_BOX
    xdotool type --delay 15 "$1" && xdotool key Return
    expect "\"$1\" is answered \"$2\"" "$2" probe text "$MAIN" $REPLY_BOX
    expect "the input box is empty after \"$1\"" "" probe text "$MAIN" $INPUT_BOX
}

# The Teach dialog from the keyboard: the phrase, Tab, the reply, then Return or Escape.
teach() { # phrase, reply, [key]
    click_on "$MAIN" $TEACH
    expect "Teach... opens the Teach dialog" 1 probe count Teach
    xdotool type --delay 15 "$1" && xdotool key Tab && xdotool type --delay 15 "$2"
    xdotool key "${3:-Return}"
    expect "${3:-Return} closes the Teach dialog" 0 probe count Teach
}
