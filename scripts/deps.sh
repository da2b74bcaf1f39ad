#!/usr/bin/env bash
# Installs the Debian packages that building and testing Kassolin need, and those that the
# benchmarks and screenshots add on a desktop of their own, and builds it. Sourced by the other
# scripts; installs nothing when all packages are present.
set -euo pipefail

KASSOLIN_PACKAGES=(
    cmake ninja-build g++ pkg-config git ca-certificates ccache
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins qt6-wayland qt6-translations-l10n
    libmpg123-dev mpg123 libsdl2-dev libmp3lame-dev libtwolame-dev
    libpulse-dev pulseaudio pulseaudio-utils libfontconfig-dev
    pipewire pipewire-pulse wireplumber
    googletest libgtest-dev clang libclang-rt-14-dev
    xvfb fonts-dejavu-core libxcb1-dev
    dbus desktop-file-utils appstream dpkg-dev
)
# The window manager, compositor, screen grabber and profiler of the benchmarks and screenshots.
KASSOLIN_DESKTOP_PACKAGES=(
    openbox weston x11-utils xauth xdotool imagemagick linux-perf
)

# What the playing benchmark alone adds: the player it measures Kassolin beside (the lightest peer
# with a display), and GNOME's compositor beside weston.
KASSOLIN_COMPARISON_PACKAGES=(audacious audacious-plugins mutter)

# kassolin_install_dependencies [desktop|comparison]: the build's and the tests' packages, and
# with "desktop" those of the benchmarks and screenshots too; with "comparison" those of the
# playing benchmark's comparisons alone.
kassolin_install_dependencies() {
    local wanted=("${KASSOLIN_PACKAGES[@]}")
    case ${1:-} in
    desktop) wanted+=("${KASSOLIN_DESKTOP_PACKAGES[@]}") ;;
    comparison) wanted=("${KASSOLIN_COMPARISON_PACKAGES[@]}") ;;
    esac
    local missing=()
    local package
    for package in "${wanted[@]}"; do
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

# Builds the player, the tools and the benchmarks in Release into build/release, the one
# Release tree of the package, scripts/run.sh and the benchmarks.
kassolin_build_release() {
    local top=$1
    (cd "$top" && cmake --preset release >/dev/null && cmake --build --preset release --parallel)
}

# The Release build, and the Debian package of what it installs, made in build/release.
kassolin_build_package() {
    local top=$1 release="$1/build/release"
    kassolin_build_release "$top" || return
    rm -f "$release"/kassolin_*.deb
    (cd "$release" && cpack -G DEB >/dev/null)
}
