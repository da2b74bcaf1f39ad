#!/usr/bin/env bash
# Builds every tree once and runs the tests headless, the way CI does: the whole suite with
# AddressSanitizer and UndefinedBehaviorSanitizer, the suites that run threads under
# ThreadSanitizer. The Release tree makes the Debian package that the package test installs and
# checks that the benchmarks compile; the fuzzer is built so that it keeps compiling. Ends with
# the seconds of each step and the summary of each test run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"

timings=()
summaries=()
report() {
    local status=$?
    printf '\nSeconds per step:\n'
    printf '  %s\n' "${timings[@]}"
    if [ ${#summaries[@]} -gt 0 ]; then
        printf 'Tests:\n'
        printf '  %s\n' "${summaries[@]}"
    fi
    return $status
}
# step NAME COMMAND...: runs the command and keeps its time for the report.
step() {
    local name=$1 start=$SECONDS status=0
    shift
    "$@" || status=$?
    timings+=("$(printf '%-36s %5d%s' "$name" $((SECONDS - start)) "$([ $status -eq 0 ] || echo '  failed')")")
    return $status
}
# tests NAME LOG COMMAND...: a test run, whose summary line goes to the report.
tests() {
    local name=$1 log=$2 status=0
    shift 2
    step "tests: $name" bash -c 'set -o pipefail; "$@" 2>&1 | tee "$0"' "$log" "$@" || status=$?
    summaries+=("$name: $(grep -E 'tests passed|No tests were found' "$log" | tail -1)")
    return $status
}

build="$top/build/test"
runtime=$(mktemp -d /tmp/kassolin-runtime.XXXXXX)
config=$(mktemp -d /tmp/kassolin-config.XXXXXX)
cache=$(mktemp -d /tmp/kassolin-cache.XXXXXX)
state=$(mktemp -d /tmp/kassolin-state.XXXXXX)
chmod 0700 "$runtime"
pulse_pid=
pipewire_pid=
xvfb_pid=
source "$top/scripts/private-desktop.sh"
cleanup() {
    report || true
    endProcesses $pulse_pid $pipewire_pid $xvfb_pid
    rm -rf "$runtime" "$config" "$cache" "$state"
}
trap cleanup EXIT

cd "$top"
step "dependencies" kassolin_install_dependencies
step "build: test (ASan, UBSan)" bash -c 'cmake --preset test >/dev/null && cmake --build --preset test --parallel'
# The package comes from a build without sanitizers, whose runtimes it would depend on.
step "build: release, package, benchmarks" kassolin_build_package "$top"
step "build: fuzz" bash -c 'cmake --preset fuzz >/dev/null && cmake --build --preset fuzz'
step "build: tsan" bash -c 'cmake --preset tsan >/dev/null && cmake --build --preset tsan'

# The sound servers of the sound server's tests, each with a null sink, in a private runtime
# folder whose socket the tests of every tree name: PulseAudio, and PipeWire with its PulseAudio
# service, as most desktops now run it. They run as whoever runs this (root in CI), so each gets a
# home of its own; each script ends what it started when it is ended by its PID.
startSoundServer() {
    local kind=$1 runtime="$top/build/sound-servers/$1"
    rm -rf "$runtime"
    mkdir -p "$top/build/sound-servers"
    bash "$top/scripts/$kind-server.sh" "$runtime" 2>"$runtime.log" &
    if ! await test -e "$runtime/ready"; then
        echo "The $kind server did not start:" >&2
        cat "$runtime.log" "$runtime"/*.log >&2
        return 1
    fi
}
startSoundServer pulseaudio
pulse_pid=$!
startSoundServer pipewire
pipewire_pid=$!

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
# No session bus, as on a machine without one: nothing may launch one behind the tests' back, by a
# fork of a test's threaded process. The tests of the desktop's services run a bus of their own.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/no-bus"
export XDG_RUNTIME_DIR="$runtime"
export XDG_CONFIG_HOME="$config"
export XDG_CACHE_HOME="$cache"
export XDG_STATE_HOME="$state"
export LANG=C.UTF-8
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1
export LSAN_OPTIONS="suppressions=$top/scripts/lsan.supp"
export UBSAN_OPTIONS=print_stacktrace=1
status=0
# A failing test's output is cut in its middle, where it is too long: its start names the test,
# and its end holds the failure.
tests "ASan and UBSan" "$runtime/test.log" \
    ctest --test-dir "$build" --output-on-failure --test-output-truncation middle --parallel 2 \
    --timeout 300 -LE sound-server || status=$?
# What the sound servers' sinks play is recorded from their monitors. On a virtual machine a
# server's graph now and then wakes too late and its sink plays a block of silence, as it does for
# any player (paplay's recordings show it too); so a sound test is tried up to three times, and a
# fault of ours, which comes every time, still fails.
tests "sound servers" "$runtime/sound.log" \
    ctest --test-dir "$build" --output-on-failure --test-output-truncation middle --timeout 300 \
    -L sound-server --repeat until-pass:3 || status=$?
# Reports from inside Qt, which is not built with ThreadSanitizer, are suppressed by
# scripts/tsan.supp.
tests "ThreadSanitizer" "$runtime/tsan.log" ctest --preset tsan || status=$?
exit $status
