#!/usr/bin/env bash
# kestrova-plan streaming a band: time and peak memory for ten thousand to a
# million channels in each format. Memory should not grow with the count.
# Usage: bench/run_plan_bench.sh [BUILD-DIR]
set -euo pipefail
build=$(realpath "${1:-build/release}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
params=(--fl 900 --f0 700 --fref 10 --fosc 950 --dac-gain 2)
for format in csv text json c-header; do
    for fh in 901 910 1000; do
        channels=$(( (fh - 900) * 10000 + 1 ))
        printf '%-9s %8d channels: ' "$format" "$channels"
        "$build/bench/measure" "$build/plan/kestrova-plan" "${params[@]}" --fh "$fh" --step 0.0001 \
            --band --format "$format"
    done
done
