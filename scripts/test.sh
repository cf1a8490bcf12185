#!/usr/bin/env bash
# Installs what is missing, builds and runs every test suite. Without a
# display the tests run under a virtual X server, so that the end-to-end
# test of the real window runs too.
# Usage: scripts/test.sh [PRESET...]   (default: release; also debug, sanitize, clang-release)
set -euo pipefail
# Qt wants a private runtime directory; a fresh machine may not have one.
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
fi
cd "$(dirname "$0")/.."
scripts/deps.sh

presets=("$@")
((${#presets[@]})) || presets=(release)
for preset in "${presets[@]}"; do
    echo "== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    if [[ -n ${DISPLAY:-} ]]; then
        ctest --preset "$preset"
    else
        xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" ctest --preset "$preset"
    fi
done
