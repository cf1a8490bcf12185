#!/usr/bin/env bash
# Builds the Debian package from the release build and checks it with
# lintian: build/release/kestrova_<version>_amd64.deb. Installs what is
# missing first (sudo when not root).
# Install it with: sudo apt-get install ./build/release/kestrova_*_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
if ! command -v lintian >/dev/null; then
    sudo=""
    [[ $(id -u) -eq 0 ]] || sudo=sudo
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends lintian >/dev/null
fi
cmake --preset release >/dev/null
cmake --build --preset release
(cd build/release && rm -f kestrova_*.deb && cpack -G DEB >/dev/null)
deb=$(ls build/release/kestrova_*_amd64.deb)
echo "built $deb"
# Errors fail the build; warnings and notes are shown.
lintian --fail-on error --tag-display-limit 0 -I "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || { echo "lintian found errors"; exit 1; }
echo "lintian: no errors"
