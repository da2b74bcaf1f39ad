#!/usr/bin/env bash
# Runs a private PipeWire sound server, as most desktops now have one, until it is ended:
#   scripts/pipewire-server.sh RUNTIME_DIR
# A session bus of its own, PipeWire, its session manager (WirePlumber) and its PulseAudio
# service, in RUNTIME_DIR (mode 0700, made when missing), with a null sink "kassolin_test" of
# 44.1 kHz float stereo as the default sink. The PulseAudio socket is RUNTIME_DIR/pulse/native;
# RUNTIME_DIR/ready tells that it serves. TERM or INT ends every process it started, by its PID.
set -euo pipefail
runtime=$1
mkdir -p -m 0700 "$runtime" "$runtime/home"
here=$(cd "$(dirname "$0")" && pwd)
source "$here/private-desktop.sh"

pids=()
finish() {
    local pid
    for ((index = ${#pids[@]} - 1; index >= 0; --index)); do
        pid=${pids[index]}
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap 'finish; exit 0' TERM INT
trap finish EXIT

# WirePlumber keeps the volume of each application's streams in its state and gives it to the
# next one: a server of its own keeps nothing from another.
export HOME="$runtime/home" XDG_RUNTIME_DIR="$runtime" XDG_CONFIG_HOME="$runtime/home/.config" \
    XDG_STATE_HOME="$runtime/home/.local/state" XDG_CACHE_HOME="$runtime/home/.cache"
unset PULSE_SERVER PIPEWIRE_REMOTE
# What a server ended before left behind.
rm -rf "$runtime/pulse" "$runtime"/pipewire-0* "$runtime/bus" "$runtime/ready"
# WirePlumber needs a session bus; none of the machine's services is started on this one.
dbus-daemon --config-file="$here/../tests/support/session-bus.conf" --nofork \
    --print-address=3 3>"$runtime/bus" 2>"$runtime/bus.log" &
pids+=($!)
await test -s "$runtime/bus"
DBUS_SESSION_BUS_ADDRESS=$(head -1 "$runtime/bus")
export DBUS_SESSION_BUS_ADDRESS

# The sink is there before any client can connect: a stream connected while there is no sink
# may stay unlinked.
mkdir -p "$XDG_CONFIG_HOME/pipewire/pipewire.conf.d"
cat >"$XDG_CONFIG_HOME/pipewire/pipewire.conf.d/kassolin-test-sink.conf" <<'END'
context.objects = [
    { factory = adapter
        args = {
            factory.name = support.null-audio-sink
            node.name = kassolin_test
            node.description = "Kassolin test sink"
            media.class = Audio/Sink
            audio.format = F32
            audio.rate = 44100
            audio.position = [ FL FR ]
        }
    }
]
END
pipewire >"$runtime/pipewire.log" 2>&1 &
pids+=($!)
await test -S "$runtime/pipewire-0"
wireplumber >"$runtime/wireplumber.log" 2>&1 &
pids+=($!)
pipewire-pulse >"$runtime/pipewire-pulse.log" 2>&1 &
pids+=($!)
export PULSE_SERVER="unix:$runtime/pulse/native"
await pactl info
# WirePlumber may not take the choice in its first moments.
await pactl set-default-sink kassolin_test
await sh -c 'pactl get-default-sink | grep -qx kassolin_test'
touch "$runtime/ready"
wait
