#!/usr/bin/env bash
# `cmake --install` puts the program, its desktop entry, icons and metadata
# where a desktop finds them.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
status=0
for f in bin/kestrova bin/kestrova-plan share/man/man1/kestrova-plan.1 share/applications/org.kestrova.Kestrova.desktop \
         share/metainfo/org.kestrova.Kestrova.metainfo.xml \
         share/icons/hicolor/16x16/apps/org.kestrova.Kestrova.xpm \
         share/icons/hicolor/32x32/apps/org.kestrova.Kestrova.xpm; do
    if [[ -e $prefix/$f ]]; then echo "ok $f"; else echo "MISSING $f"; status=1; fi
done
[[ -x $prefix/bin/kestrova ]] || { echo "bin/kestrova is not executable"; status=1; }
exit $status
