#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Kestrova needs,
# only those that are missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
    cmake ninja-build gcc g++ clang libclang-rt-14-dev pkg-config
    googletest libgtest-dev libbenchmark-dev
    qt6-base-dev libgl-dev libxcb1-dev
    locales xvfb xauth xdotool x11-utils imagemagick fonts-liberation fonts-dejavu-core
    desktop-file-utils appstream appstream-compose dpkg-dev nlohmann-json3-dev
)

missing=()
for p in "${packages[@]}"; do
    [[ $(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true) == *"ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [[ $(id -u) -eq 0 ]] || sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A comma locale for the tests of the user's decimal separator.
if ! grep -qix 'de_DE\.utf-\?8' <<<"$(locale -a 2>/dev/null)"; then
    if [[ $(id -u) -eq 0 ]]; then
        localedef -i de_DE -f UTF-8 de_DE.UTF-8
    else
        sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "note: de_DE.UTF-8 not generated; its test is skipped"
    fi
fi
