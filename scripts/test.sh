#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs it headless, the way CI does.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
kassolin_install_dependencies

build="$top/build/test"
(cd "$top" && cmake --preset test && cmake --build --preset test --parallel)
# The Debian package comes from a build without sanitizers, whose runtimes it would depend on.
kassolin_build_package "$top"

runtime=$(mktemp -d /tmp/kassolin-runtime.XXXXXX)
config=$(mktemp -d /tmp/kassolin-config.XXXXXX)
cache=$(mktemp -d /tmp/kassolin-cache.XXXXXX)
state=$(mktemp -d /tmp/kassolin-state.XXXXXX)
chmod 0700 "$runtime"
pulse_pid=
xvfb_pid=
source "$top/scripts/private-desktop.sh"
cleanup() {
    endProcesses $pulse_pid $xvfb_pid
    rm -rf "$runtime" "$config" "$cache" "$state"
}
trap cleanup EXIT

# A sound server with a null sink for the sound server's tests, in a private runtime folder
# whose socket the tests' build names. It runs as whoever runs this (root in CI), so it gets a
# home of its own; it is ended by its PID.
pulse="$build/pulse"
rm -rf "$pulse"
mkdir -p "$pulse/home"
chmod 0700 "$pulse"
HOME="$pulse/home" XDG_RUNTIME_DIR="$pulse" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --use-pid-file=no --log-target=stderr \
    --load="module-null-sink sink_name=kassolin_test format=float32le rate=44100 channels=2" \
    --load="module-native-protocol-unix socket=$pulse/native auth-anonymous=1" \
    2>"$pulse/server.log" &
pulse_pid=$!
if ! await test -S "$pulse/native"; then
    echo "The sound server did not start:" >&2
    cat "$pulse/server.log" >&2
    exit 1
fi

# An X server without a window manager, for the tests of what only X tells; every other test
# draws offscreen.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$runtime/display" 2>"$runtime/xvfb.log" &
xvfb_pid=$!
if ! await test -s "$runtime/display"; then
    echo "The X server did not start:" >&2
    cat "$runtime/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(cat "$runtime/display")"

export QT_QPA_PLATFORM=offscreen
export SDL_AUDIODRIVER=dummy
export XDG_RUNTIME_DIR="$runtime"
export XDG_CONFIG_HOME="$config"
export XDG_CACHE_HOME="$cache"
export XDG_STATE_HOME="$state"
export LANG=C.UTF-8
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1
export LSAN_OPTIONS="suppressions=$top/scripts/lsan.supp"
export UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir "$build" --output-on-failure --parallel 2 --timeout 300

# The fuzzer, built with clang, on its regression inputs: the corpus with the fuzzer's finds.
"$top/scripts/fuzz.sh"

# The widget-free tests under ThreadSanitizer; reports from inside Qt, which is not built with
# it, are suppressed by scripts/tsan.supp.
cd "$top"
cmake --preset tsan >/dev/null
cmake --build --preset tsan
ctest --preset tsan
