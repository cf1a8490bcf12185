#!/usr/bin/env bash
# Installs what is missing, builds and opens the window. Kestrova keeps its
# settings in Kestrova.INI in the directory it is started from: the current
# one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
(cd "$root" && scripts/deps.sh && cmake --preset release >/dev/null && cmake --build --preset release --target kestrova)
exec "$root/build/release/ui/kestrova"
