#!/usr/bin/env bash
# Installs what is missing, builds and runs every test suite.
# Usage: scripts/test.sh [PRESET...]   (default: release; also debug, sanitize)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

presets=("$@")
((${#presets[@]})) || presets=(release)
for preset in "${presets[@]}"; do
    echo "== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
