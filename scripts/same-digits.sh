#!/usr/bin/env bash
# Runs the same random panels through the calculation of the release build
# and of each other build given (native, arm64 under qemu, ...) and compares
# every output byte for byte: every build must give the release build's
# digits. The builds must have been made by scripts/test.sh.
# Usage: scripts/same-digits.sh [--panels N] PRESET...
set -euo pipefail
cd "$(dirname "$0")/.."
panels=1000000
if [[ ${1:-} == --panels ]]; then
    panels=$2
    shift 2
fi
(($#)) || { echo "usage: scripts/same-digits.sh [--panels N] PRESET..." >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

digits() {  # PRESET OUTPUT
    local tool=build/$1/tests/panel_digits
    [[ -x $tool ]] || { echo "same-digits: $tool is not built (scripts/test.sh $1)" >&2; exit 2; }
    if [[ $1 == arm64 ]]; then
        qemu-aarch64-static "$tool" "$panels" >"$2"
    else
        "$tool" "$panels" >"$2"
    fi
}

digits release "$work/release"
status=0
for preset in "$@"; do
    digits "$preset" "$work/$preset"
    if cmp -s "$work/release" "$work/$preset"; then
        echo "same digits: $panels panels, $preset gives the release build's outputs byte for byte"
    else
        count=$(diff "$work/release" "$work/$preset" | grep -c '^<' || true)
        echo "same-digits: $preset differs from release on $count of $panels panels; the first (< release, > $preset):"
        diff "$work/release" "$work/$preset" | head -n 20
        status=1
    fi
done
exit $status
