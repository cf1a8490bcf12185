#!/usr/bin/env bash
# Installs the Debian 12 packages that Kestrova needs, only those that are
# missing: "run" for building and running the window, "test" (the default)
# for that and every test, "package" for that and the package's check; with
# "arm64" also what cross-compiling for arm64 and running its tests under
# qemu need. Uses sudo when not run as root; with neither, prints the one
# command that installs everything the README's commands need, and fails.
# Usage: scripts/deps.sh [run|test|package] [arm64]
set -euo pipefail
cd "$(dirname "$0")/.."

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
package=(lintian)
# The arm64 build: Debian's cross compilers, qemu for its tests, and the
# arm64 libraries beside the amd64 ones. simdjson's -dev package is not
# multi-arch (its arm64 copy would remove the amd64 one), so only its
# library is installed and its -dev package is unpacked into the build tree.
arm64=(
    crossbuild-essential-arm64 qemu-user-static
    qt6-base-dev:arm64 libgl-dev:arm64 libxcb1-dev:arm64 libgtest-dev:arm64 libsimdjson14:arm64
)
arm64_dev=build/deps-arm64

kind=${1:-test}
cross=${2:-}
case $kind in
    run) packages=("${run[@]}") ;;
    test) packages=("${run[@]}" "${test[@]}") ;;
    package) packages=("${run[@]}" "${test[@]}" "${package[@]}") ;;
    *) echo "usage: scripts/deps.sh [run|test|package] [arm64]" >&2; exit 2 ;;
esac
case $cross in
    "") ;;
    arm64) packages+=("${arm64[@]}") ;;
    *) echo "usage: scripts/deps.sh [run|test|package] [arm64]" >&2; exit 2 ;;
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

has_de_locale() {
    grep -qix 'de_DE\.utf-\?8' <<<"$(locale -a 2>/dev/null)"
}
foreign=""
if [[ $cross == arm64 ]] && ! grep -qx arm64 <<<"$(dpkg --print-foreign-architectures)"; then
    foreign=arm64
fi

if ((${#missing[@]})) || [[ -n $foreign ]] || { [[ $kind != run ]] && ! has_de_locale; }; then
    if ! can_be_root; then
        # One trip to root for all that the README's commands need (the
        # window, every test, the package), not one for each command.
        all=("${run[@]}" "${test[@]}" "${package[@]}")
        [[ $cross == arm64 ]] && all+=("${arm64[@]}")
        wanted=()
        for p in "${all[@]}"; do
            [[ $(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true) == *"ok installed" ]] || wanted+=("$p")
        done
        command="apt-get update"
        [[ -n $foreign ]] && command="dpkg --add-architecture arm64 && $command"
        ((${#wanted[@]})) && command+=" && apt-get install --no-install-recommends ${wanted[*]}"
        has_de_locale || command+=" && localedef -i de_DE -f UTF-8 de_DE.UTF-8"
        if ((${#missing[@]})) || [[ -n $foreign ]]; then
            echo "Kestrova needs Debian packages that are not installed (${#missing[@]}), and installing them takes root." >&2
            echo "Run this once as root; it installs all that building, testing and packaging need:" >&2
            echo "  $command" >&2
            exit 1
        fi
        echo "note: de_DE.UTF-8 is not generated, so its test is skipped; as root, run:"
        echo "  $command"
    else
        if [[ -n $foreign ]]; then
            echo "Adding arm64 as a foreign architecture, for the arm64 build"
            as_root dpkg --add-architecture arm64
        fi
        if ((${#missing[@]})) || [[ -n $foreign ]]; then
            echo "Installing ${#missing[@]} Debian packages (and what they need): ${missing[*]}"
            as_root apt-get update -q
            as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
        fi
        # A comma locale for the tests of the user's decimal separator.
        if [[ $kind != run ]] && ! has_de_locale; then
            as_root localedef -i de_DE -f UTF-8 de_DE.UTF-8
        fi
    fi
fi

if [[ $cross == arm64 && ! -f $arm64_dev/usr/lib/aarch64-linux-gnu/cmake/simdjson/simdjson-config.cmake ]]; then
    echo "Unpacking libsimdjson-dev:arm64 into $arm64_dev"
    download=$(mktemp -d)
    (cd "$download" && apt-get download -q libsimdjson-dev:arm64)
    mkdir -p "$arm64_dev"
    dpkg-deb -x "$download"/libsimdjson-dev_*_arm64.deb "$arm64_dev"
    rm -rf "$download"
    # Its library is the installed libsimdjson14:arm64.
    for library in /usr/lib/aarch64-linux-gnu/libsimdjson.so.*; do
        ln -sf "$library" "$arm64_dev/usr/lib/aarch64-linux-gnu/"
    done
    ln -sf "$(ls /usr/lib/aarch64-linux-gnu/libsimdjson.so.* | head -n 1)" "$arm64_dev/usr/lib/aarch64-linux-gnu/libsimdjson.so"
fi
