#!/usr/bin/env bash
# Fails on a source file that .clang-format would change, and on an #include
# that goes up a layer: core <- files <- settings <- ui / plan (ui and plan
# never include each other); inside plan/, each stage includes only itself
# and the stages below it: channel <- formats <- command_line <- run <-
# checks <- program (and the program's mains above them all).
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
# The stages of plan/, lowest first.
stages=(channel formats command_line run checks program)
for ((i = 0; i < ${#stages[@]}; ++i)); do
    below=" ${stages[*]:0:i+1} "
    while IFS= read -r hit; do
        included=$(sed -E 's/.*#include "plan\/([^/"]+)\/.*/\1/' <<<"$hit")
        if [[ $below != *" $included "* ]]; then
            echo "check-source: ${hit%%:*} includes from plan/$included/, above its stage (${stages[i]})"
            status=1
        fi
    done < <(git grep -nE '^#include "plan/' -- "plan/${stages[i]}/" || true)
done
if git grep -qE '^#include "plan/[^/"]+"' -- plan/; then
    echo "check-source: plan/ includes a header outside its stages:"
    git grep -nE '^#include "plan/[^/"]+"' -- plan/ | sed 's/^/  /'
    status=1
fi
[[ $status -eq 0 ]] && echo "check-source: formatting and include layers are clean"
exit $status
