#!/usr/bin/env bash
# kestrova-plan writing a band to a file: wall time (the median of three
# runs) and peak memory from ten thousand to ten million channels as CSV, and
# a million channels in each other format; then verify and decode of those,
# from a file and from a pipe.
# Memory should not grow with the count; JSON and the C header should stay
# within 1.5 x of CSV.
# Usage: bench/run_plan_bench.sh [BUILD-DIR]
set -euo pipefail
build=$(realpath "${1:-build/release}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
params=(--fl 900 --f0 700 --fref 10 --fosc 950 --dac-gain 2 --step 0.0001 --band)
run() {  # FORMAT FH: the median of three runs, standard output to a file
    for _ in 1 2 3; do
        # A fresh file each time: truncating the last run's hundreds of
        # megabytes would be timed as the planner's work.
        rm -f "$work/band"
        "$build/bench/measure" --stdout "$work/band" "$build/plan/kestrova-plan" "${params[@]}" --fh "$2" --format "$1"
    done | sort -n | sed -n 2p
}
for fh in 901 910 1000 1900; do
    printf '%-9s %9d channels: %s\n' csv $(( (fh - 900) * 10000 + 1 )) "$(run csv "$fh")"
done
for format in json c-header text svg; do
    printf '%-9s %9d channels: %s\n' "$format" 1000001 "$(run "$format" 1000)"
done
# Verify and decode beside planning: the million-channel plan of each
# readable format checked again (with --band, so every channel is looked
# for) from the file and from a pipe, and the whole C header decoded from
# the file and from a pipe. Each should take no longer than planning the
# same format, in a few tens of MiB at most.
planner() {  # INPUT ARGS...: the median of three runs with the band's parameters, input from a file or a pipe
    local input=$1
    shift
    for _ in 1 2 3; do
        if [[ $input == pipe:* ]]; then
            cat "${input#pipe:}" | "$build/bench/measure" --stdout /dev/null "$build/plan/kestrova-plan" "$@" "${params[@]::${#params[@]}-1}" --fh 1000
        else
            "$build/bench/measure" --stdout /dev/null "$build/plan/kestrova-plan" "$@" "${params[@]::${#params[@]}-1}" --fh 1000 < "$input"
        fi
    done | sort -n | sed -n 2p
}
for format in csv json c-header; do
    "$build/plan/kestrova-plan" "${params[@]}" --fh 1000 --format "$format" -o "$work/plan.$format"
    printf '%-9s %9d channels, verify file: %s\n' "$format" 1000001 \
        "$(planner /dev/null --band --verify "$work/plan.$format")"
    printf '%-9s %9d channels, verify pipe: %s\n' "$format" 1000001 \
        "$(planner "pipe:$work/plan.$format" --band --verify -)"
done
printf '%-9s %9d entries,  decode file: %s\n' c-header 1000001 "$(planner "$work/plan.c-header" --decode)"
printf '%-9s %9d entries,  decode pipe: %s\n' c-header 1000001 "$(planner "pipe:$work/plan.c-header" --decode)"
