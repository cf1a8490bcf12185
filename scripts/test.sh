#!/usr/bin/env bash
# Installs what is missing, builds and runs every test suite. The tests run
# under a private virtual X server, even on a desktop, so that the end-to-end
# test of the real window runs without touching the user's screen or mouse.
# Usage: scripts/test.sh [PRESET...]
#   (default: release; also debug, sanitize, clang-release, native for this
#   processor's own instructions, arm64 cross-compiled and run under qemu)
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
presets=("$@")
((${#presets[@]})) || presets=(release)
if [[ " ${presets[*]} " == *" arm64 "* ]]; then
    scripts/deps.sh test arm64
else
    scripts/deps.sh test
fi

# ctest names a skipped test but shows nothing of why: the reason is in the
# test's own output, the line after GoogleTest's "Skipped" or a script's
# last line. Prints each skipped test of the run with its reason.
skip_reasons() {  # PRESET CTEST-OUTPUT
    local name reason
    sed -nE 's/^[[:space:]]+[0-9]+ - (.*) \(Skipped\)$/\1/p' "$2" | while IFS= read -r name; do
        reason=$(awk -v name="$name" '
            index($0, "Testing: ") && substr($0, index($0, "Testing: ") + 9) == name { inTest = 1; next }
            inTest && $0 == "Output:" { inOutput = 1; getline; next }
            inOutput && $0 == "<end of output>" { exit }
            inOutput && after { reason = $0; after = 0; next }
            inOutput && / Skipped$/ { after = 1; next }
            inOutput && NF && !/^\[/ && !/^(Running main|Note: Google Test)/ && !gtest { last = $0 }
            inOutput && /^\[ RUN/ { gtest = 1 }
            END { print reason != "" ? reason : last }' "build/$1/Testing/Temporary/LastTest.log")
        echo "  skipped: $name: ${reason:-no reason given}"
    done
}

for preset in "${presets[@]}"; do
    echo "== $preset"
    cmake --preset "$preset" -DBUILD_TESTING=ON >/dev/null
    cmake --build --preset "$preset"
    scripts/with-xvfb.sh ctest --preset "$preset" | tee "build/$preset/ctest-output.txt"
    skip_reasons "$preset" "build/$preset/ctest-output.txt"
done
