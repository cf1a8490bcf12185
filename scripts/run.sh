#!/usr/bin/env bash
# Installs what is missing, builds and runs the tests (the window is not built yet).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/test.sh release
