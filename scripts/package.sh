#!/usr/bin/env bash
# Builds the Debian package from the release build and checks it with
# lintian: build/release/kestrova_<version>_amd64.deb, or with "arm64" from
# the arm64 cross build, build/arm64/kestrova_<version>_arm64.deb (its
# dependencies worked out from the arm64 libraries). Installs what is missing
# first, as scripts/deps.sh does: saying what, through sudo when not root,
# and with neither printing the command to run as root.
# Install the package, as root: apt-get install ./build/release/kestrova_*_amd64.deb
# Usage: scripts/package.sh [arm64]
set -euo pipefail
cd "$(dirname "$0")/.."
case ${1:-} in
    "") preset=release arch=amd64; scripts/deps.sh package ;;
    arm64) preset=arm64 arch=arm64; scripts/deps.sh package arm64 ;;
    *) echo "usage: scripts/package.sh [arm64]" >&2; exit 2 ;;
esac
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
(cd "build/$preset" && rm -f kestrova_*.deb && cpack -G DEB >/dev/null)
deb=$(ls build/$preset/kestrova_*_$arch.deb)
echo "built $deb"
# Errors fail the build; warnings and notes are shown.
lintian --fail-on error --tag-display-limit 0 -I "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || { echo "lintian found errors"; exit 1; }
echo "lintian: no errors"
