#!/usr/bin/env bash
# Builds Kassolin in Release and prints its speed figures.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
kassolin_install_dependencies

build="$top/build/release"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build "$build" --parallel
QT_QPA_PLATFORM=offscreen exec "$build/bench/kassolin-bench" "$@"
