#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking Kassolin needs, and
# builds it. Sourced by the other scripts; installs nothing when all packages are present.
set -euo pipefail

KASSOLIN_PACKAGES=(
    cmake ninja-build g++ pkg-config git ca-certificates
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins qt6-wayland qt6-translations-l10n
    libmpg123-dev mpg123 libsdl2-dev libmp3lame-dev libtwolame-dev
    libpulse-dev pulseaudio pulseaudio-utils libfontconfig-dev
    googletest libgtest-dev clang libclang-rt-14-dev
    xvfb xauth xdotool imagemagick fonts-dejavu-core
    openbox x11-utils linux-perf libxcb1-dev weston
    dbus desktop-file-utils appstream dpkg-dev
)

kassolin_install_dependencies() {
    local missing=()
    local package
    for package in "${KASSOLIN_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends "${missing[@]}"
}

# Builds the player and the analysis tool in Release, without the tests, into build/package
# and makes the Debian package there. ccache is used where there is one.
kassolin_build_package() {
    local top=$1 package="$1/build/package"
    (cd "$top" && cmake --preset package -DCMAKE_CXX_COMPILER_LAUNCHER="$(command -v ccache || true)" &&
        cmake --build --preset package --parallel)
    rm -f "$package"/kassolin_*.deb
    (cd "$package" && cpack -G DEB >/dev/null)
}

# Builds the player, the tools and the benchmark in Release into build/release.
kassolin_build_release() {
    local top=$1
    (cd "$top" && cmake --preset release && cmake --build --preset release --parallel)
}
