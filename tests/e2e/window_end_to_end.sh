#!/usr/bin/env bash
# The real program under a real X server: start it in a fresh directory with
# a prepared settings file, press Calculate with the mouse, close the window
# with a close request, and check the file it saved; then end it with
# signals, as a desktop session or a terminal does, with the save working
# and failing.
# Usage (inside an X session, e.g. under scripts/with-xvfb.sh):
#   window_end_to_end.sh KESTROVA X_CLOSE_WINDOW [SCREENSHOT.png]
set -euo pipefail
program=$(realpath "$1")
closer=$(realpath "$2")
shot=${3:+$(realpath -m "$3")}
[[ -n ${DISPLAY:-} ]] || { echo "no X display: skipped"; exit 77; }

work=$(mktemp -d)
pid=""
# Whatever way the script leaves, the program it started goes too: a program
# left running would hold ctest's output open until its timeout.
cleanup() {
    if [[ -n $pid ]]; then kill -9 "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'echo "FAIL: line $LINENO: \"$BASH_COMMAND\" exited $?"; [[ -s $work/stderr.txt ]] && cat "$work/stderr.txt"' ERR
fail() { { echo "FAIL: $*"; [[ -s $work/stderr.txt ]] && cat "$work/stderr.txt"; } >&2; exit 1; }
cd "$work"
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
    export XDG_RUNTIME_DIR=$work/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
fi

example=$'900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n900.2\r\n'
start() {
    "$program" 2> stderr.txt &
    pid=$!
}
# Waits for a visible window with the exact title; prints its id.
window_titled() {
    local id
    id=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1) || true
    [[ -n $id ]] || fail "no window \"$1\" appeared"
    echo "$id"
}
# Waits up to 10 s for the program to end; its exit status in $ended.
wait_end() {
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && fail "the program did not end $1"
    ended=0
    wait "$pid" || ended=$?
    pid=""
}
saved_is() { [[ $(od -An -c Kestrova.INI) == "$(printf '%s' "$1" | od -An -c)" ]]; }

# 1. Calculate with the mouse, close by request: the achieved Fout is saved.
printf '%s' "$example" > Kestrova.INI
start
window=$(window_titled "Kestrova Oscillator Calculations")
# Calculate sits at 43,149 (66 x 33) at 96 dpi: click its middle.
sleep 0.3
xdotool mousemove --window "$window" 76 165 click 1
sleep 0.3
if [[ -n $shot ]]; then import -window root -crop 479x202+0+0 "$shot"; fi
"$closer" "$window"
wait_end "after the close request"
[[ $ended -eq 0 ]] || fail "exit status $ended after the close request"
saved_is $'900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n 900\r\n' || fail "the saved file differs: $(od -An -c Kestrova.INI)"
echo "PASS: calculated, closed by request, saved the achieved Fout \" 900\""

# 2. The end of a desktop session (SIGTERM), of a terminal (SIGHUP) and
# Ctrl-C (SIGINT) close the window, which saves.
for signal in TERM HUP INT; do
    lines=$'1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n'"$signal"$'\r\n'
    printf '%s' "$lines" > Kestrova.INI
    start
    window_titled "Kestrova Oscillator Calculations" > /dev/null
    kill -"$signal" "$pid"
    wait_end "after SIG$signal"
    [[ $ended -eq 0 ]] || fail "exit status $ended after SIG$signal"
    saved_is "$lines" || fail "SIG$signal did not save the same eight lines"
done
echo "PASS: SIGTERM, SIGHUP and SIGINT closed the window and saved"

# 3. A signal while the load failure is shown ends the program; the save
# that fails then goes to standard error, with no message to wait on.
rm -f Kestrova.INI
mkdir Kestrova.INI
start
window_titled "Kestrova" > /dev/null
kill -TERM "$pid"
wait_end "after SIGTERM while the load failure was shown"
[[ $ended -eq 1 ]] || fail "exit status $ended, not 1, after a failed save"
grep -qx 'kestrova: the settings could not be saved: "Kestrova.INI" is a directory, not a regular file' stderr.txt ||
    fail "no one-line save failure on standard error"
echo "PASS: SIGTERM during the load failure message ended the program, the failed save on stderr"

# 4. The save fails at a SIGTERM after a good start: the same.
rmdir Kestrova.INI
printf '%s' "$example" > Kestrova.INI
start
window_titled "Kestrova Oscillator Calculations" > /dev/null
rm Kestrova.INI
mkdir Kestrova.INI
kill -TERM "$pid"
wait_end "after SIGTERM with a failing save"
[[ $ended -eq 1 ]] || fail "exit status $ended, not 1, after a failed save"
[[ $(grep -c '^kestrova:' stderr.txt) -eq 1 ]] && grep -q '^kestrova: the settings could not be saved: ' stderr.txt ||
    fail "no one-line save failure on standard error"
echo "PASS: a save failing at SIGTERM is reported on stderr and the program ends"
