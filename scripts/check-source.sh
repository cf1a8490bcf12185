#!/usr/bin/env bash
# Fails on a source file that .clang-format would change, and on an #include
# that goes up a layer: core <- files <- settings <- ui / plan (ui and plan
# never include each other).
# Usage: scripts/check-source.sh
set -euo pipefail
cd "$(dirname "$0")/.."
status=0

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run -Werror "${sources[@]}" 2>/tmp/kestrova-format.$$; then
    echo "check-source: files that are not formatted by .clang-format:"
    grep -oE '^[^ :]+\.(cpp|h):' /tmp/kestrova-format.$$ | sort -u | sed 's/:$//; s/^/  /'
    status=1
fi
rm -f /tmp/kestrova-format.$$

declare -A allowed=(
    [core]="core"
    [files]="core files"
    [settings]="core files settings"
    [ui]="core files settings ui"
    [plan]="core files settings plan"
)
for layer in "${!allowed[@]}"; do
    while IFS= read -r hit; do
        file=${hit%%:*}
        included=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$hit")
        if [[ " ${allowed[$layer]} " != *" $included "* ]]; then
            echo "check-source: $file includes from $included/, above its layer ($layer)"
            status=1
        fi
    done < <(git grep -nE '^#include "[^/"]+/' -- "$layer/" || true)
done
[[ $status -eq 0 ]] && echo "check-source: formatting and include layers are clean"
exit $status
