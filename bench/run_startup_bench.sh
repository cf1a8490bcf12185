#!/usr/bin/env bash
# Start-up benchmark of the real program against a bare Qt window, under a
# virtual X server when no display is open.
# Usage: bench/run_startup_bench.sh [BUILD-DIR] [RUNS]
set -euo pipefail
# Qt wants a private runtime directory; a fresh machine may not have one.
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
fi
build=${1:-build/release}
runs=${2:-30}
cmd=("$build/bench/startup_bench" --runs "$runs" "$build/ui/kestrova" "$build/bench/bare_window")
if [[ -n ${DISPLAY:-} ]]; then "${cmd[@]}"; else "$(dirname "$0")/../scripts/with-xvfb.sh" "${cmd[@]}"; fi
