#!/usr/bin/env bash
# Builds Kassolin in Release and prints its speed figures.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
kassolin_install_dependencies

kassolin_build_release "$top"
build="$top/build/release"
# "sound": how soon a volume change and a pause are heard, on sound servers of its own.
if [ "${1:-}" = sound ]; then
    exec "$build/bench/kassolin-sound-latency"
fi
QT_QPA_PLATFORM=offscreen exec "$build/bench/kassolin-bench" "$@"
