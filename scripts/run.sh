#!/usr/bin/env bash
# Installs what building and running the window needs, builds it and opens
# it. Kestrova keeps its settings in Kestrova.INI in the directory it is
# started from: the current one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Qt wants a private runtime directory; a bare session may not have one. One
# made here is removed on every way out.
made=""
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    made=$XDG_RUNTIME_DIR
    export XDG_RUNTIME_DIR
fi
trap 'if [[ -n $made ]]; then rm -rf "$made"; fi' EXIT
# A build of its own, without the tests (whose packages it does not install),
# so the test builds are never reconfigured by it.
(cd "$root" && scripts/deps.sh run && cmake --preset release -B build/window -DBUILD_TESTING=OFF >/dev/null &&
    cmake --build build/window --target kestrova)
# The window runs as a child, so that this script is still here to clean up;
# the signals that end a session close it as they would close it alone.
"$root/build/window/ui/kestrova" &
child=$!
trap 'kill -TERM "$child" 2>/dev/null || true' TERM INT HUP
set +e
while :; do
    wait "$child"
    status=$?
    kill -0 "$child" 2>/dev/null || break  # still there: the wait was cut short by a signal
done
exit "$status"
