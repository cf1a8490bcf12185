#!/usr/bin/env bash
# The real program on a Wayland compositor with no X server at all: a
# headless Weston of its own, the window shown natively, and SIGTERM (the
# end of a session) saving the inputs there as it does under X.
# Usage: window_wayland.sh KESTROVA
set -euo pipefail
program=$(realpath "$1")
command -v weston >/dev/null || { echo "weston is not installed: skipped"; exit 77; }

work=$(mktemp -d)
weston=""
pid=""
# Whatever way the script leaves, what it started goes too.
cleanup() {
    if [[ -n $pid ]]; then kill -9 "$pid" 2>/dev/null || true; fi
    if [[ -n $weston ]]; then kill "$weston" 2>/dev/null || true; wait "$weston" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { { echo "FAIL: $*"; cat "$work/stderr.txt" 2>/dev/null | grep -v '^\[' | tail -20; } >&2; exit 1; }
cd "$work"
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY QT_QPA_PLATFORM
# Qt's Wayland plugin leaves allocations behind in a library it has unloaded by
# the end, which no suppression by library name can match; the program's own
# code is leak-checked by the unit tests.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
export WAYLAND_DISPLAY=wayland-kestrova-test

weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --idle-time=0 --no-config >weston.log 2>&1 &
weston=$!
for _ in $(seq 100); do
    [[ -S $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY ]] && break
    kill -0 "$weston" 2>/dev/null || { cat weston.log >&2; fail "weston did not start"; }
    sleep 0.05
done
[[ -S $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY ]] || fail "weston made no socket"

# Lines ending in LF alone: a save rewrites them with CR LF, so the file
# shows whether the close saved.
printf '900\n1000\n0.5\n700\n10\n950\n2\n900.2\n' > Kestrova.INI
# The client's Wayland log shows when the compositor has configured the
# window: it is then on the screen.
WAYLAND_DEBUG=client "$program" 2> stderr.txt &
pid=$!
for _ in $(seq 200); do
    grep -q 'xdg_toplevel@[0-9]*\.configure' stderr.txt && break
    kill -0 "$pid" 2>/dev/null || fail "the window ended before it was shown"
    sleep 0.05
done
grep -q 'xdg_toplevel@[0-9]*\.configure' stderr.txt || fail "the window was never shown on the compositor"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=""
[[ $status -eq 0 ]] || fail "SIGTERM ended the window with status $status"
[[ $(cat Kestrova.INI) == $'900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n900.2\r' ]] || fail "the inputs were not saved: $(od -c Kestrova.INI)"
echo "ok: shown on Weston without X, and SIGTERM saved the inputs"
