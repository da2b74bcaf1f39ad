#!/usr/bin/env bash
# Runs a private PulseAudio sound server until it is ended:
#   scripts/pulseaudio-server.sh RUNTIME_DIR
# The daemon, in RUNTIME_DIR (mode 0700, made when missing), with a null sink "kassolin_test" of
# 44.1 kHz float stereo. Its socket is RUNTIME_DIR/pulse/native, where PipeWire's PulseAudio
# service puts its own (scripts/pipewire-server.sh); RUNTIME_DIR/ready tells that it serves. TERM
# or INT ends the daemon, by its PID; a daemon that ends otherwise prints its log on stderr.
set -euo pipefail
runtime=$1
mkdir -p -m 0700 "$runtime" "$runtime/home" "$runtime/pulse"
here=$(cd "$(dirname "$0")" && pwd)
source "$here/private-desktop.sh"

# What a server ended before left behind.
rm -f "$runtime/ready" "$runtime/pulse/native"
export HOME="$runtime/home" XDG_RUNTIME_DIR="$runtime"
unset PULSE_SERVER
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-level=error \
    --load="module-null-sink sink_name=kassolin_test format=float32le rate=44100 channels=2 norewinds=1" \
    --load="module-native-protocol-unix socket=$runtime/pulse/native auth-anonymous=1" \
    2>"$runtime/pulseaudio.log" &
daemon=$!
trap 'endProcesses $daemon; exit 0' TERM INT
trap 'endProcesses $daemon' EXIT
# Its socket appears before the server listens on it: it serves once a client is served.
export PULSE_SERVER="unix:$runtime/pulse/native"
await pactl info
touch "$runtime/ready"
# A daemon that ends on its own leaves its log with the test, whose folder goes with it.
wait $daemon || {
    status=$?
    echo "pulseaudio-server: the daemon ended with status $status; its log:" >&2
    cat "$runtime/pulseaudio.log" >&2
    exit $status
}
