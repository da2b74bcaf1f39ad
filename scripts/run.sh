#!/usr/bin/env bash
# Builds Kassolin in Release and starts it with the given MP3 files,
# or with the demo track that the build generates when none is given.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
kassolin_install_dependencies

build="$top/build/release"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build "$build" --parallel

if [ $# -eq 0 ]; then
    set -- "$build/demo.mp3"
fi
exec "$build/src/kassolin" "$@"
