#!/usr/bin/env bash
# The real program under a real X server: start it in a fresh directory with
# a prepared settings file, press Calculate with the mouse, close the window
# with a close request, and check the file it saved.
# Usage (inside an X session, e.g. under xvfb-run):
#   window_end_to_end.sh KESTROVA X_CLOSE_WINDOW [SCREENSHOT.png]
set -euo pipefail
program=$(realpath "$1")
closer=$(realpath "$2")
shot=${3:+$(realpath -m "$3")}
[[ -n ${DISPLAY:-} ]] || { echo "no X display: skipped"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf '900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n900.2\r\n' > Kestrova.INI

"$program" 2> stderr.txt &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Kestrova Oscillator Calculations$' | head -n 1)
[[ -n $window ]] || { echo "FAIL: the window did not appear"; exit 1; }

# Calculate sits at 43,149 (66 x 33) at 96 dpi: click its middle.
sleep 0.5
xdotool mousemove --window "$window" 76 165 click 1
sleep 0.5
[[ -n $shot ]] && import -window root -crop 479x202+0+0 "$shot"

"$closer" "$window"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then kill -9 "$pid"; echo "FAIL: the program did not end after the close request"; exit 1; fi
wait "$pid" || { echo "FAIL: exit status $?"; cat stderr.txt; exit 1; }

expected=$(printf '900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n 900\r\n' | od -An -c)
actual=$(od -An -c Kestrova.INI)
if [[ $actual != "$expected" ]]; then
    echo "FAIL: the saved file differs"; echo "$actual"; exit 1
fi
echo "PASS: calculated, closed by request, saved the achieved Fout \" 900\""

# The end of a desktop session: SIGTERM closes the window, which saves.
printf '1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n' > Kestrova.INI
"$program" 2> stderr.txt &
pid=$!
timeout 20 xdotool search --sync --onlyvisible --name '^Kestrova Oscillator Calculations$' > /dev/null
kill -TERM "$pid"
wait "$pid" || { echo "FAIL: exit status $? after SIGTERM"; exit 1; }
[[ "$(od -An -c Kestrova.INI)" == "$(printf '1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n' | od -An -c)" ]] ||
    { echo "FAIL: SIGTERM did not save the same eight lines"; exit 1; }
echo "PASS: SIGTERM closed the window and saved"
