# Shared by the end-to-end scenarios: sourced, not run.
#
# Each scenario gets its own X display (Xvfb), its own folder holding a copy of Wobbet.exe and
# its own Wine session in the end-to-end prefix (ended when the scenario ends). The program is
# typed into with xdotool and read back through window_probe. Set by CMake: WOBBET_EXE,
# WINDOW_PROBE, WINE_RUN and WINE_PREFIX (its prefix), WORK_ROOT, SCREENSHOT_DIR.
set -euo pipefail

readonly MAIN_TITLE="QUIB Wobbet"
readonly MESSAGE_TITLE="Wobbet"
readonly PROBE_MESSAGE="UWM_ARE_YOU_ME-{88A384E5-F71B-4f6e-80DE-67527AB618D5}"
readonly NOT_FOUND_TEXT="Microsoft Agent was not found.  You can download it at https://sourceforge.net/projects/doubleagent/."
# Control ids
readonly REPLY_BOX=1000 INPUT_BOX=1001 SAY=1002 TEACH=1007 CONTEXT=1008
readonly TEACH_REPLY=1000 TEACH_PHRASE=1001
readonly SC_MINIMIZE=0xF020 SC_CLOSE=0xF060

work=""
xvfb_pid=""
wobbet_pid=""
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

expect_eq() { # what, actual, expected
    if [ "$2" != "$3" ]; then
        fail "$1: got [$2], expected [$3]"
    else
        echo "ok: $1"
    fi
}

expect_contains() { # what, expected part, actual
    if [[ "$3" != *"$2"* ]]; then
        fail "$1: [$2] not in [$3]"
    else
        echo "ok: $1"
    fi
}

expect_ok() { # what, command...
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        fail "$what"
    fi
}

probe() { "$WINE_RUN" "$WINDOW_PROBE" "$@"; }

# Polls until the probe gives the expected output, then checks it once more for the record.
expect_probe() { # what, expected, probe arguments...
    local what=$1 expected=$2
    shift 2
    local actual=""
    for _ in $(seq 50); do
        actual=$(probe "$@" | tr -d '\r') || true
        [ "$actual" = "$expected" ] && break
        sleep 0.1
    done
    expect_eq "$what" "$actual" "$expected"
}

setup() { # scenario name
    work="$WORK_ROOT/$1"
    rm -rf "$work"
    mkdir -p "$work" "$SCREENSHOT_DIR"
    cp "$WOBBET_EXE" "$work/Wobbet.exe"

    local display_file="$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$display_file" ] && break
        sleep 0.05
    done
    export DISPLAY=":$(cat "$display_file")"
    trap teardown EXIT
}

teardown() {
    local status=$?
    set +e
    if [ -n "$wobbet_pid" ]; then
        kill "$wobbet_pid" 2>/dev/null
        wait "$wobbet_pid" 2>/dev/null
    fi
    # Ends this scenario's Wine session, whose desktop lives on the display about to go.
    WINEPREFIX="$WINE_PREFIX" wineserver -k 2>/dev/null
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    if [ "$status" -eq 0 ] && [ "$failures" -gt 0 ]; then
        status=1
    fi
    exit "$status"
}

start_wobbet() {
    "$WINE_RUN" "$work/Wobbet.exe" >/dev/null 2>&1 &
    wobbet_pid=$!
}

# True once the process has ended; this machine's init does not reap, so a zombie counts.
has_exited() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 0
    [ -z "$state" ] || [ "$state" = Z ]
}

# Waits for the process to end and gives its exit status; 124 when it does not end in time.
wait_exit() { # pid [seconds]
    local pid=$1 tenths=$((${2:-15} * 10))
    for _ in $(seq "$tenths"); do
        if has_exited "$pid"; then
            wait "$pid"
            return
        fi
        sleep 0.1
    done
    return 124
}

expect_wobbet_exits() { # what
    local status=0
    wait_exit "$wobbet_pid" || status=$?
    expect_eq "$1" "$status" 0
    wobbet_pid=""
}

# Real mouse input at the centre of a window or of one of its controls.
click_on() { # title [control id]
    local x y
    read -r x y < <(probe center "$@" | tr -d '\r')
    xdotool mousemove "$x" "$y" click 1
}

# Clicks into a box, then types the text and presses Enter with the keyboard.
type_into() { # title, control id, text
    click_on "$1" "$2"
    xdotool type --delay 15 "$3"
    xdotool key Return
}

say() { # text, expected reply
    type_into "$MAIN_TITLE" "$INPUT_BOX" "$1"
    expect_probe "\"$1\" is answered \"$2\"" "$2" text "$MAIN_TITLE" "$REPLY_BOX"
    expect_probe "the input box is empty after \"$1\"" "" text "$MAIN_TITLE" "$INPUT_BOX"
}

screenshot() { # title, file name
    local x y width height
    read -r x y width height < <(probe rect "$1" | tr -d '\r')
    import -window root "$work/screen.png"
    /usr/bin/convert "$work/screen.png" -crop "${width}x${height}+${x}+${y}" +repage \
        "$SCREENSHOT_DIR/$2"
    echo "screenshot: $SCREENSHOT_DIR/$2"
}

file_state() { # the bytes and the modification time, to tell whether a file was touched
    { od -An -c "$1"; stat -c %Y.%y "$1"; } 2>&1
}
