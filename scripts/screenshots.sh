#!/usr/bin/env bash
# Photographs the player in both looks while the demo track plays, for the README: builds
# Kassolin in Release, starts its own X server (Xvfb with a small window manager) in a
# temporary runtime folder, and writes docs/kassolin-standard.png and docs/kassolin-vintage.png.
# The look is chosen through the stored preference, as a user would choose it.
# Usage: scripts/screenshots.sh [OUTPUT_FOLDER]   (docs/ by default)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
kassolin_install_dependencies
kassolin_build_release "$top" >/dev/null

output=$(realpath -m "${1:-$top/docs}")
build="$top/build/release"
work=$(mktemp -d /tmp/kassolin-screenshots.XXXXXX)
mkdir -m 0700 "$work/runtime" "$work/home" "$work/config"
mkdir -p "$output" "$work/config/Kassolin"
pids=()

cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Polls `command` every 50 ms for up to 10 s.
await() {
    local tries
    for ((tries = 0; tries < 200; ++tries)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    echo "screenshots: gave up waiting for: $*" >&2
    exit 1
}

export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" PULSE_SERVER="unix:$work/no-pulse"
export SDL_AUDIODRIVER=dummy LANG=C.UTF-8

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
await test -s "$work/display"
export DISPLAY=":$(cat "$work/display")"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
await sh -c 'xprop -root -notype _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

# Plays the demo track in the look the stored `vintage` preference chooses and photographs
# the window 2.5 s in, when every display shows the tune.
photograph() {
    printf '[General]\nVintageDesign=%s\n' "$1" >"$work/config/Kassolin/Kassolin.conf"
    "$build/src/kassolin" "$build/demo.mp3" >>"$work/player.log" 2>&1 &
    local player=$!
    pids+=("$player")
    local window
    window=$(xdotool search --sync --onlyvisible --pid "$player" --name Kassolin | head -n1)
    sleep 2.5
    import -window "$window" "$output/$2"
    kill "$player"
    wait "$player" 2>/dev/null || true
    echo "$output/$2"
}

photograph false kassolin-standard.png
photograph true kassolin-vintage.png
