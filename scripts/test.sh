#!/usr/bin/env bash
# Installs what is missing, builds and runs every test suite. The tests run
# under a private virtual X server, even on a desktop, so that the end-to-end
# test of the real window runs without touching the user's screen or mouse.
# Usage: scripts/test.sh [PRESET...]   (default: release; also debug, sanitize, clang-release)
set -euo pipefail
# Qt wants a private runtime directory; a fresh machine may not have one. One
# made here is removed on every way out.
made=""
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    made=$XDG_RUNTIME_DIR
    export XDG_RUNTIME_DIR
fi
trap 'if [[ -n $made ]]; then rm -rf "$made"; fi' EXIT
cd "$(dirname "$0")/.."
scripts/deps.sh test

presets=("$@")
((${#presets[@]})) || presets=(release)
for preset in "${presets[@]}"; do
    echo "== $preset"
    cmake --preset "$preset" -DBUILD_TESTING=ON >/dev/null
    cmake --build --preset "$preset"
    scripts/with-xvfb.sh ctest --preset "$preset"
done
