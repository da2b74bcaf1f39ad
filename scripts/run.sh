#!/usr/bin/env bash
# Builds Kassolin in Release and starts it with the given arguments (see README.md: an MP3 to
# play, or --open FILE... for a playlist), or with the demo track that the build generates
# when none are given.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
kassolin_install_dependencies

kassolin_build_release "$top"
build="$top/build/release"

if [ $# -eq 0 ]; then
    set -- "$build/demo.mp3"
fi
exec "$build/src/kassolin" "$@"
