#!/usr/bin/env bash
# Installs what building and running the window needs, builds it and opens
# it. Kestrova keeps its settings in Kestrova.INI in the directory it is
# started from: the current one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Qt wants a private runtime directory; a bare session may not have one.
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
fi
# A build of its own, without the tests (whose packages it does not install),
# so the test builds are never reconfigured by it.
(cd "$root" && scripts/deps.sh run && cmake --preset release -B build/window -DBUILD_TESTING=OFF >/dev/null &&
    cmake --build build/window --target kestrova)
exec "$root/build/window/ui/kestrova"
