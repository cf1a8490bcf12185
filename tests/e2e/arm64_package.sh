#!/usr/bin/env bash
# The arm64 package as an arm64 user meets it, under qemu: its kestrova-plan
# writes byte for byte the plans that the amd64 one writes (every format, a
# band with faults and mismatches, the worked example list, decode, verify),
# and its window opens, and saves its settings when it is closed.
# Usage: scripts/with-xvfb.sh arm64_package.sh ARM64-DEB AMD64-KESTROVA-PLAN
set -euo pipefail
deb=$(realpath "$1")
amd64=$(realpath "$2")
command -v qemu-aarch64-static >/dev/null || { echo "qemu-aarch64-static is not installed: skipped"; exit 77; }
work=$(mktemp -d)
window=""
cleanup() {
    [[ -n $window ]] && kill -9 "$window" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$work/root"
arm64=(qemu-aarch64-static "$work/root/usr/bin/kestrova-plan")
cd "$work"
status=0

# A band whose channels fault (FH = F0 at the top) or miss (Fref / Step is
# not whole), and the worked example's list with a fault and a tie.
band=(--fl 700 --fh 1000 --step 0.75 --f0 700 --fref 10 --fosc 950 --dac-gain 2.37 --band)
list=(--fh 1000 --step 0.5 --f0 700 --fref 10 --fosc 950 --dac-gain 2 -- 900.2 900 700 1000 -5 950.25 4000.5e3)
compare() {  # NAME ARGUMENT...
    local name=$1 a b
    shift
    a=0 b=0
    "$amd64" "$@" >"amd64.$name" 2>&1 || a=$?
    "${arm64[@]}" "$@" >"arm64.$name" 2>&1 || b=$?
    if [[ $a != "$b" ]] || ! cmp -s "amd64.$name" "arm64.$name"; then
        echo "FAIL: $name differs (exit $a on amd64, $b on arm64):"
        diff "amd64.$name" "arm64.$name" | head -n 10
        status=1
    else
        echo "ok $name ($(wc -c <"amd64.$name") bytes, exit $a)"
    fi
}
for format in text csv json c-header svg; do
    compare "band.$format" --format "$format" "${band[@]}"
    compare "list.$format" --format "$format" "${list[@]}"
done
compare decode --fh 1000 --step 0.5 --f0 700 --fref 10 --fosc 950 --dac-gain 2 --decode "0014 10 00C 19C 07" "0014 10 00C"
"$amd64" --format c-header "${band[@]}" -o band.h || true
compare verify --verify band.h "${band[@]}"

# The window on the X server this runs under (scripts/with-xvfb.sh gives a
# private one): it makes Kestrova.INI when it loads; that file is removed once
# the window shows, so a file after SIGTERM is the close's save.
[[ -n ${DISPLAY:-} ]] || { echo "FAIL: no X server to start the arm64 window on (run under scripts/with-xvfb.sh)"; exit 1; }
mkdir settings && cd settings
qemu-aarch64-static "$work/root/usr/bin/kestrova" &
window=$!
if timeout 120 xdotool search --sync --onlyvisible --name "^Kestrova Oscillator Calculations$" >/dev/null &&
    [[ -f Kestrova.INI ]]; then
    rm Kestrova.INI
    kill -TERM "$window"
    wait "$window" || { echo "FAIL: the arm64 window did not close cleanly"; status=1; }
    window=""
    if [[ $(tr -d '\r' <Kestrova.INI 2>/dev/null | grep -cx 0) == 8 ]]; then
        echo "ok the arm64 window opens under X and saves its eight settings when closed"
    else
        echo "FAIL: the arm64 window saved no settings"
        status=1
    fi
else
    echo "FAIL: the arm64 window did not open within 120 s"
    status=1
fi
exit $status
