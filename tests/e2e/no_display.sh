#!/usr/bin/env bash
# Started where no display can be opened, the program says so in one line
# and fails, with no plugin backtrace.
set -uo pipefail
program=$1
status=0
check() {
    local err rc
    err=$(env "$@" "$program" 2>&1 >/dev/null); rc=$?
    if [[ $rc -eq 0 ]]; then echo "FAIL ($*): exit status 0"; status=1; fi
    if [[ $(printf '%s\n' "$err" | wc -l) -ne 1 || $err != kestrova:* ]]; then
        echo "FAIL ($*): expected one line from kestrova, got:"; printf '%s\n' "$err"; status=1
    else
        echo "ok ($*): $err"
    fi
}
check -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM
check -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:987
check DISPLAY=:987 QT_QPA_PLATFORM=xcb
# A Wayland socket that is gone, with no X server to fall back on.
check -u DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR=/nonexistent WAYLAND_DISPLAY=wayland-gone
check -u DISPLAY -u QT_QPA_PLATFORM WAYLAND_DISPLAY=/nonexistent/wayland-0
exit $status
