#!/usr/bin/env bash
# `cmake --install` puts the programs, their manuals, the desktop entry,
# icons, metadata, bash completion and licence where a desktop finds them,
# and `appstreamcli compose` on that tree accepts the application with its
# icons, as a software centre's catalogue would.
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage/root cmake --install "$build" --prefix /usr >/dev/null
prefix=$stage/root/usr
status=0
for f in bin/kestrova bin/kestrova-plan share/man/man1/kestrova.1.gz share/man/man1/kestrova-plan.1.gz \
         share/applications/org.kestrova.Kestrova.desktop share/metainfo/org.kestrova.Kestrova.metainfo.xml \
         share/icons/hicolor/scalable/apps/org.kestrova.Kestrova.svg \
         share/icons/hicolor/{16x16,32x32,64x64,128x128}/apps/org.kestrova.Kestrova.png \
         share/bash-completion/completions/kestrova-plan share/doc/kestrova/copyright share/doc/kestrova/changelog.gz; do
    if [[ -e $prefix/$f ]]; then echo "ok $f"; else echo "MISSING $f"; status=1; fi
done
[[ -x $prefix/bin/kestrova && -x $prefix/bin/kestrova-plan ]] || { echo "a program is not executable"; status=1; }
grep -qx 'kestrova-plan [0-9.]*' <<<"$("$prefix/bin/kestrova-plan" --version)" || { echo "no --version"; status=1; }

if command -v appstreamcli >/dev/null && [[ -x /usr/libexec/appstreamcli-compose ]]; then
    report=$(appstreamcli compose --no-net --no-color --print-report=full --result-root="$stage/out" \
             --origin=kestrova --prefix=/usr "$stage/root" 2>&1) || { echo "$report"; echo "compose failed"; status=1; }
    if grep -qE '^ *E:|icon-not-found|no-valid-icon' <<<"$report"; then echo "$report"; echo "compose reports a problem"; status=1; fi
    catalogue=$(zcat "$stage"/out/usr/share/swcatalog/xml/kestrova.xml.gz)
    grep -q '<id>org.kestrova.Kestrova</id>' <<<"$catalogue" || { echo "the application is not in the catalogue"; status=1; }
    grep -q '<icon type="cached"' <<<"$catalogue" || { echo "the catalogue has no icon for it"; status=1; }
    echo "ok appstreamcli compose"
else
    echo "note: appstreamcli compose is not installed; the catalogue check is skipped"
fi
exit $status
