#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs it headless, the way CI does.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
kassolin_install_dependencies

build="$top/build/test"
sanitizers="-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -D_GLIBCXX_ASSERTIONS"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON \
    -DCMAKE_CXX_FLAGS="-O1 -fno-omit-frame-pointer $sanitizers" \
    -DCMAKE_EXE_LINKER_FLAGS="$sanitizers"
cmake --build "$build" --parallel

runtime=$(mktemp -d /tmp/kassolin-runtime.XXXXXX)
config=$(mktemp -d /tmp/kassolin-config.XXXXXX)
chmod 0700 "$runtime"
trap 'rm -rf "$runtime" "$config"' EXIT

export QT_QPA_PLATFORM=offscreen
export SDL_AUDIODRIVER=dummy
export XDG_RUNTIME_DIR="$runtime"
export XDG_CONFIG_HOME="$config"
export LANG=C.UTF-8
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir "$build" --output-on-failure --parallel 2 --timeout 300
