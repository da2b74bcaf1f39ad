#!/usr/bin/env bash
# Photographs the player in both looks while the demo track plays, for the README: builds
# Kassolin in Release, starts its own X server (Xvfb with a small window manager) in a
# temporary runtime folder, and writes docs/kassolin-standard.png and docs/kassolin-vintage.png.
# The look is chosen through the stored preference, as a user would choose it.
# Usage: scripts/screenshots.sh [OUTPUT_FOLDER]   (docs/ by default)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
kassolin_install_dependencies desktop
kassolin_build_release "$top" >/dev/null

output=$(realpath -m "${1:-$top/docs}")
build="$top/build/release"
work=$(mktemp -d /tmp/kassolin-screenshots.XXXXXX)
mkdir -p "$output"
servers=()

cleanup() {
    endProcesses "${servers[@]}"
    rm -rf "$work"
}
trap cleanup EXIT
source "$top/scripts/private-desktop.sh"

enterPrivateSession "$work"
export PULSE_SERVER="unix:$work/no-pulse" SDL_AUDIODRIVER=dummy
startDesktop "$work" || { echo "screenshots: the X server did not start" >&2; exit 1; }

# Plays the demo track in the look the stored `vintage` preference chooses and photographs
# the window 2.5 s in, when every display shows the tune.
photograph() {
    printf '[General]\nVintageDesign=%s\n' "$1" >"$work/config/Kassolin/Kassolin.conf"
    "$build/src/kassolin" "$build/demo.mp3" >>"$work/player.log" 2>&1 &
    local player=$!
    servers+=("$player")
    local window
    window=$(xdotool search --sync --onlyvisible --pid "$player" --name Kassolin | head -n1)
    sleep 2.5
    import -window "$window" "$output/$2"
    endProcesses "$player"
    echo "$output/$2"
}

photograph false kassolin-standard.png
photograph true kassolin-vintage.png
