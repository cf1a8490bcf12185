#!/usr/bin/env bash
# Installs the Debian 12 packages that Kestrova needs, only those that are
# missing: "run" for building and running the window, "test" (the default)
# for that and every test, "package" for that and the package's check. Uses sudo when not run as root; with neither,
# prints the command to run as root and fails.
# Usage: scripts/deps.sh [run|test|package]
set -euo pipefail

run=(
    cmake ninja-build g++ pkg-config gzip
    qt6-base-dev qt6-wayland libgl-dev libxcb1-dev libsimdjson-dev
    fonts-liberation fonts-dejavu-core
)
test=(
    clang libclang-rt-14-dev clang-format git nlohmann-json3-dev
    googletest libgtest-dev libbenchmark-dev
    locales xvfb xauth xdotool x11-utils imagemagick weston
    desktop-file-utils appstream appstream-compose dpkg-dev librsvg2-bin libxml2-utils
)
case ${1:-test} in
    run) packages=("${run[@]}") ;;
    test) packages=("${run[@]}" "${test[@]}") ;;
    package) packages=("${run[@]}" "${test[@]}" lintian) ;;
    *) echo "usage: scripts/deps.sh [run|test|package]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    [[ $(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true) == *"ok installed" ]] || missing+=("$p")
done

# Runs a command as root: directly, or through a sudo that works.
as_root() {
    if [[ $(id -u) -eq 0 ]]; then
        "$@"
    else
        sudo "$@"
    fi
}
can_be_root() {
    [[ $(id -u) -eq 0 ]] || { command -v sudo >/dev/null && sudo -v 2>/dev/null; }
}

if ((${#missing[@]})); then
    if ! can_be_root; then
        echo "Kestrova needs Debian packages that are not installed (${#missing[@]}), and installing them takes root." >&2
        echo "Run this as root, then run this script again:" >&2
        echo "  apt-get install --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${#missing[@]} Debian packages (and what they need): ${missing[*]}"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# A comma locale for the tests of the user's decimal separator.
if [[ ${1:-test} == test ]] && ! grep -qix 'de_DE\.utf-\?8' <<<"$(locale -a 2>/dev/null)"; then
    if can_be_root; then
        as_root localedef -i de_DE -f UTF-8 de_DE.UTF-8
    else
        echo "note: de_DE.UTF-8 is not generated, so its test is skipped; as root, run:"
        echo "  localedef -i de_DE -f UTF-8 de_DE.UTF-8   (from Debian's locales package)"
    fi
fi
