#!/usr/bin/env bash
# Runs a command under a private virtual X server, whatever display the
# caller has: the tests never touch a real desktop. The server runs with
# -noreset, so it stays up while clients come and go (a server that resets
# when its last client leaves refuses connections for a moment), and it is
# stopped on every way out, the command's failure and Ctrl-C included.
# Usage: scripts/with-xvfb.sh COMMAND [ARG...]
set -euo pipefail
command -v Xvfb >/dev/null || { echo "with-xvfb: Xvfb is not installed (Debian package xvfb): skipped"; exit 77; }
scratch=$(mktemp -d)
server=""
stop() {
    if [[ -n $server ]]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
trap stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# -displayfd: the server picks a free display and writes its number.
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1024x768x24 -dpi 96 \
    3> "$scratch/display" 2> "$scratch/xvfb.log" &
server=$!
for _ in $(seq 200); do
    [[ -s $scratch/display ]] && break
    kill -0 "$server" 2>/dev/null || { echo "with-xvfb: Xvfb did not start:" >&2; cat "$scratch/xvfb.log" >&2; exit 1; }
    sleep 0.05
done
[[ -s $scratch/display ]] || { echo "with-xvfb: Xvfb gave no display number" >&2; exit 1; }
DISPLAY=:$(head -n 1 "$scratch/display")
export DISPLAY
unset WAYLAND_DISPLAY XAUTHORITY

status=0
"$@" || status=$?
exit "$status"
