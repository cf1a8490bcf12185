#!/usr/bin/env bash
# The display going away under the window: the X server killed (a crashed
# server, a dropped ssh -X session), the window destroyed from outside
# (XDestroyWindow), the Wayland compositor killed. Each time the inputs on the screen are saved as a close
# saves them, and the program ends. A message box destroyed from outside
# leaves the window working. Every server is the test's own.
# Usage: display_lost.sh KESTROVA
set -euo pipefail
program=$(realpath "$1")
command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v xprop >/dev/null ||
    { echo "Xvfb, xdotool or xprop missing: skipped"; exit 77; }

work=$(mktemp -d)
server=""
pid=""
cleanup() {
    if [[ -n $pid ]]; then kill -9 "$pid" 2>/dev/null || true; fi
    if [[ -n $server ]]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { { echo "FAIL: $*"; grep -v '^\[' "$work/stderr.txt" 2>/dev/null | tail -5; } >&2; exit 1; }
cd "$work"
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
# The display going away ends the process from inside Qt with everything
# still allocated: no leak report is meaningful then.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0

start_x() {
    rm -f display
    Xvfb -displayfd 3 -noreset -nolisten tcp 3> display 2> xvfb.log &
    server=$!
    for _ in $(seq 200); do [[ -s display ]] && break; sleep 0.05; done
    [[ -s display ]] || fail "Xvfb did not start"
    export DISPLAY=:$(head -n 1 display)
}
stop_server() {
    kill "$server"
    wait "$server" 2>/dev/null || true
    server=""
}
# Starts the window on a settings file of LF lines, types 5 after FL.
start_window() {
    printf '900\n1000\n0.5\n700\n10\n950\n2\n900.2\n' > Kestrova.INI
    "$program" 2> stderr.txt &
    pid=$!
}
edit_fl() {
    local window
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Kestrova Oscillator Calculations$' | head -n 1)
    [[ -n $window ]] || fail "no window appeared"
    press "$window" End
    press "$window" 5
    # A key more, from after the 5 was taken: the 5 has reached the box.
    press "$window" Shift_L
    echo "$window"
}
# Sends one key and waits until the window has taken it: Qt sets the
# window's _NET_WM_USER_TIME at each key press it handles, so the property
# is removed first and its return is the event waited for.
press() {  # WINDOW KEY
    xprop -id "$1" -remove _NET_WM_USER_TIME
    xdotool key --window "$1" "$2" 2>/dev/null
    for _ in $(seq 500); do
        xprop -id "$1" _NET_WM_USER_TIME | grep -q = && return
        sleep 0.01
    done
    fail "the window did not take the key $2"
}
# The program's end: status, its kestrova: lines, and what it saved.
check_end() {  # CASE WANTED-STATUS FIRST-LINE
    local status=0
    timeout 20 tail --pid="$pid" -f /dev/null || fail "$1: the program did not end"
    wait "$pid" || status=$?
    pid=""
    [[ $status -eq $2 ]] || fail "$1: exit status $status, not $2"
    [[ $(grep -c "^kestrova:" stderr.txt || true) -eq $([[ $2 -eq 0 ]] && echo 0 || echo 1) ]] ||
        fail "$1: not one kestrova: line: $(grep -a kestrova stderr.txt | head -3)"
    [[ $(head -n 1 Kestrova.INI) == "$3"$'\r' ]] || fail "$1: the inputs were not saved: $(od -c Kestrova.INI | head -n 2)"
}

start_x
start_window
edit_fl >/dev/null
stop_server
check_end "X server killed" 1 9005
grep -q '^kestrova: the display was lost; the inputs were saved$' stderr.txt || fail "no word of the lost display"

start_x
start_window
window=$(edit_fl)
xdotool windowclose "$window"
check_end "window destroyed" 0 9005

# A fault's message box destroyed from outside is answered as if closed:
# the window takes keys again, and its close saves.
printf '900\n1000\n0\n700\n10\n950\n2\n900.2\n' > Kestrova.INI  # Step 0: Calculate faults
"$program" 2> stderr.txt &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Kestrova Oscillator Calculations$' | head -n 1)
[[ -n $window ]] || fail "no window appeared"
xdotool mousemove --window "$window" 76 165 click 1  # Calculate, at 43,149 (66 x 33)
box=$(timeout 20 xdotool search --sync --onlyvisible --name '^Kestrova$' | head -n 1)
[[ -n $box ]] || fail "no message box for the fault"
xdotool windowclose "$box"
xdotool mousemove --window "$window" 34 32 click 1  # back into FL, which the click on Calculate left
edit_fl >/dev/null
xdotool windowclose "$window"
check_end "message box destroyed" 0 9005
stop_server

if command -v weston >/dev/null; then
    unset DISPLAY
    export WAYLAND_DISPLAY=wayland-kestrova-lost
    weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --idle-time=0 --no-config >weston.log 2>&1 &
    server=$!
    for _ in $(seq 100); do [[ -S $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY ]] && break; sleep 0.05; done
    printf '900\n1000\n0.5\n700\n10\n950\n2\n900.2\n' > Kestrova.INI
    # The client's Wayland log shows when the window is on the screen.
    WAYLAND_DEBUG=client "$program" 2> stderr.txt &
    pid=$!
    for _ in $(seq 200); do
        grep -q 'xdg_toplevel@[0-9]*\.configure' stderr.txt && break
        sleep 0.05
    done
    grep -q 'xdg_toplevel@[0-9]*\.configure' stderr.txt || fail "the window was never shown on Weston"
    stop_server
    check_end "compositor killed" 1 900
    grep -q '^kestrova: the display was lost; the inputs were saved$' stderr.txt || fail "no word of the lost compositor"
else
    echo "weston is not installed: the compositor case skipped"
fi
echo "ok: the X server killed, the window destroyed and the compositor killed each saved the inputs; a destroyed message box left the window working"
