#!/usr/bin/env bash
# Builds the Debian package from the release build and checks it with
# lintian: build/release/kestrova_<version>_amd64.deb. Installs what is
# missing first, as scripts/deps.sh does: saying what, through sudo when not
# root, and with neither printing the command to run as root.
# Install the package, as root: apt-get install ./build/release/kestrova_*_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh package
cmake --preset release >/dev/null
cmake --build --preset release
(cd build/release && rm -f kestrova_*.deb && cpack -G DEB >/dev/null)
deb=$(ls build/release/kestrova_*_amd64.deb)
echo "built $deb"
# Errors fail the build; warnings and notes are shown.
lintian --fail-on error --tag-display-limit 0 -I "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || { echo "lintian found errors"; exit 1; }
echo "lintian: no errors"
