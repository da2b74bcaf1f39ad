#!/usr/bin/env bash
# Measures what playing costs on a desktop: builds Kassolin in Release, starts its own X server
# (Xvfb with a small window manager), a PulseAudio daemon with a null sink and a session bus in
# a temporary runtime directory, plays a 300 s track with all three displays shown and prints one
# "name: value unit" line per figure, each the median of the runs:
#   CPU of the player, the sound server and the X server over 20 s after 5 s of play, and the
#   player's wake-ups a second by thread (main, libpulse's, Qt's, the work queue's lanes), also
#   under Wayland; the player's CPU while paused and while playing minimized, on another
#   workspace, covered by another window and behind the screen saver's locked screen, and with
#   the tape-deck look;
#   the player and the compositor under Wayland (weston), and the player there behind the
#   locked screen; the player, and the bare Qt window below, under weston and under mutter with
#   the compositor's CPU (all in % of one core); its ratios to the bare Qt window; resident and
#   proportional memory; launch to a mapped window; and the longest silence at a track change,
#   recorded from the null sink's monitor, between two tracks cut from one pink noise, in order
#   and shuffled. For comparison, the CPU of the player's process and of the X server while a
#   bare Qt window repaints one band of the waveform's size at 60 Hz (kassolin-paint-floor), and
#   of the lightest peer with a display, Audacious (GTK, its spectrum analyzer shown), playing
#   in turns with Kassolin over one span, alone and with the sound and X servers, each as a
#   ratio to Kassolin's in its turns, and its launch to a mapped window; where Audacious cannot
#   be installed, the script says so and gives Kassolin's figures alone. Last, each run's ratios
#   to the peer, and each run's Wayland figures less the X11 ones.
# Usage: scripts/bench-playback.sh [RUNS]   (3 runs by default)
# BENCH_SECONDS sets the span of each CPU figure (20 s); KASSOLIN_PLAYER another build's player,
# for a comparison. BENCH_PERF=DIR also records the player with perf record (DWARF call graphs) while it plays, in
# DIR/standard.data and DIR/tapedeck.data (the figures of such a run count perf's own cost).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
kassolin_install_dependencies desktop
kassolin_install_dependencies comparison >/dev/null 2>&1 ||
    echo "bench-playback: Audacious and mutter could not be installed: Kassolin's figures alone" >&2
kassolin_build_release "$top" >/dev/null

runs=${1:-3}
span=${BENCH_SECONDS:-20}
warmup=5
build="$top/build/release"
work=$(mktemp -d /tmp/kassolin-bench-playback.XXXXXX)
servers=()
player=
recorder=
floor=
peer=
compositor=
mapWatcher=
mapReader=

cleanup() {
    endProcesses $player $recorder $floor $peer $compositor $mapWatcher $mapReader "${servers[@]}"
    rm -rf "$work"
}
trap cleanup EXIT
source "$top/scripts/private-desktop.sh"

fail() {
    echo "bench-playback: $*" >&2
    exit 1
}

enterPrivateSession "$work"

# --- servers ---------------------------------------------------------------------------------
startDesktop "$work" || fail "the X server or the window manager did not start"

socket="$work/runtime/pulse-native"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --system=no --realtime=no --high-priority=no \
    --use-pid-file=no --log-target=file:"$work/pulse.log" \
    -L "module-native-protocol-unix socket=$socket auth-anonymous=1" \
    -L "module-null-sink sink_name=kassolin_bench rate=44100 channels=2" &
servers+=($!)
soundserver=$!
export PULSE_SERVER="unix:$socket"
await pactl info || fail "PulseAudio did not start (see $work/pulse.log)"
# Should the player fall back to SDL, it reaches the same server through SDL's PulseAudio backend.
export SDL_AUDIODRIVER=pulseaudio

# A session bus of its own, on which the player's media controls press its keys.
dbus-daemon --config-file="$top/tests/support/session-bus.conf" --nofork --print-address=3 \
    3>"$work/bus" 2>"$work/bus.log" &
servers+=($!)
await test -s "$work/bus" || fail "the session bus did not start (see $work/bus.log)"
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")
export DBUS_SESSION_BUS_ADDRESS

# --- tracks ----------------------------------------------------------------------------------
track="$work/track-300s.mp3"
"$build/tools/kassolin-demo-track" --seconds 300 "$track"
"$build/tools/kassolin-demo-track" --pink-halves 6 "$work/pink-1.mp3" "$work/pink-2.mp3"

# --- measuring -------------------------------------------------------------------------------
# CPU time of a process in clock ticks (user + system, all threads).
cpuTicks() {
    sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

# CPU of each given process over `span` seconds, in % of one core, one figure a line.
cpuOver() {
    local ticks
    for ticks in $(ticksOver "$span" "$@"); do
        percentOf "$ticks" "$span"
    done
}

# The clock ticks each given process (after the first argument, the seconds) runs over those
# seconds, one figure a line.
ticksOver() {
    local seconds=$1 pid before=() after=() i
    shift
    for pid in "$@"; do before+=("$(cpuTicks "$pid")"); done
    sleep "$seconds"
    for pid in "$@"; do after+=("$(cpuTicks "$pid")"); done
    for i in "${!before[@]}"; do echo $((after[i] - before[i])); done
}

# Clock ticks ($1) over seconds ($2) in % of one core.
percentOf() {
    awk -v d="$1" -v hz="$(getconf CLK_TCK)" -v s="$2" 'BEGIN { printf "%.2f\n", d / hz / s * 100 }'
}

# Context switches so far of each thread of a process, "GROUP count" a line: the main thread,
# libpulse's mainloop thread, Qt's own threads (its Wayland event threads among them) and the
# work queue's lanes, by thread name.
threadSwitches() {
    local task
    for task in /proc/"$1"/task/*; do
        awk -v main=$(("${task##*/}" == $1)) -v name="$(cat "$task/comm")" '
            /^(non)?voluntary_ctxt_switches/ { n += $2 }
            END {
                group = main ? "main" : name == "threaded-ml" ? "sound" : "lanes"
                if (!main && name ~ /^(Q|Wayland)/)
                    group = "qt"
                print group, n
            }' "$task/status"
    done
}

# Wake-ups a second of each group of threads between two counts of threadSwitches (files $2
# and $3), recorded as $1GROUP. A thread that ended in between is not counted.
recordWakeups() {
    local group
    for group in main sound qt lanes; do
        record "$1$group" "$(awk -v g="$group" -v s="$span" '
            FNR == NR && $1 == g { before += $2 } FNR != NR && $1 == g { after += $2 }
            END { printf "%.1f", (after - before) / s }' "$2" "$3")"
    done
}

# A field of /proc/PID/smaps_rollup in MB.
memoryMB() {
    awk -v field="$2:" '$1 == field { printf "%.1f\n", $2 / 1024 }' "/proc/$1/smaps_rollup"
}

# A checksum of the window's pixels: unchanged while nothing repaints.
windowPixels() {
    import -window "$1" rgb:- 2>/dev/null | md5sum
}

# Whether the window's pixels come to stay the same (`same`) or to change (`moving`) over half
# a second, within a few tries.
expectPicture() {
    local first second tries
    for ((tries = 0; tries < 5; ++tries)); do
        first=$(windowPixels "$2")
        sleep 0.5
        second=$(windowPixels "$2")
        if [ "$1" = same ]; then
            [ "$first" = "$second" ] && return 0
        else
            [ "$first" != "$second" ] && return 0
        fi
    done
    return 1
}

# Presses a transport key by its name on the desktop's media controls (MPRIS: Play, Pause),
# as a media key does: wherever the keys sit in either look.
pressTransportKey() {
    dbus-send --session --type=method_call --dest=org.mpris.MediaPlayer2.kassolin \
        /org/mpris/MediaPlayer2 "org.mpris.MediaPlayer2.Player.$1" ||
        fail "the player's media controls did not take $1"
}

startPlayer() {
    "${KASSOLIN_PLAYER:-$build/src/kassolin}" "$@" >>"$work/player.log" 2>&1 &
    player=$!
}

stopPlayer() {
    endProcesses "$player"
    player=
}

record() {
    echo "$1 $2" >>"$work/figures"
}

# With BENCH_PERF, a profile of the player over the next span, in $BENCH_PERF/NAME.data.
profilePlayer() {
    [ -n "${BENCH_PERF:-}" ] || return 0
    mkdir -p "$BENCH_PERF"
    perf record -q -F 2999 --call-graph dwarf,32768 -p "$player" -o "$BENCH_PERF/$1.data" -- sleep "$span" >/dev/null 2>&1 &
}

# Launch: from the start of a process to the window manager's map of its first window. The
# window manager's maps are watched from now on; launchedAt then marks the start.
watchMaps() {
    rm -f "$work/maps" "$work/xev.fifo"
    mkfifo "$work/xev.fifo"
    while read -r line; do
        case $line in MapNotify*) echo "$EPOCHREALTIME" >>"$work/maps" ;; esac
    done <"$work/xev.fifo" &
    mapReader=$!
    stdbuf -oL xev -root -event substructure >"$work/xev.fifo" 2>/dev/null &
    mapWatcher=$!
    sleep 0.5
    launchedAt=$EPOCHREALTIME
}

# Records as $1 the time from launchedAt to the first map since, of the window of $2.
recordLaunch() {
    await test -s "$work/maps" || fail "the window of $2 was not mapped"
    record "$1" "$(awk -v a="$launchedAt" -v b="$(head -n1 "$work/maps")" \
        'BEGIN { printf "%.3f", b - a }')"
    endProcesses "$mapWatcher" "$mapReader"
    mapWatcher= mapReader=
}

measureRun() {
    watchMaps
    startPlayer "$track"
    recordLaunch launch Kassolin
    local window
    window=$(xdotool search --sync --onlyvisible --pid "$player" --name Kassolin | head -n1)
    echo "player pid $player" >&2

    sleep "$warmup"
    profilePlayer standard
    local cpu
    threadSwitches "$player" >"$work/switches-before"
    mapfile -t cpu < <(cpuOver "$player" "$soundserver" "$xserver")
    threadSwitches "$player" >"$work/switches-after"
    recordWakeups wake "$work/switches-before" "$work/switches-after"
    record player "${cpu[0]}"
    record soundserver "${cpu[1]}"
    record xserver "${cpu[2]}"
    record playerservers "$(sum "${cpu[@]}")"
    record rss "$(memoryMB "$player" Rss)"
    record pss "$(memoryMB "$player" Pss)"

    pressTransportKey Pause
    sleep 0.3
    expectPicture same "$window" || fail "the player did not pause"
    sleep 1
    record paused "$(cpuOver "$player")"

    pressTransportKey Play
    sleep 0.3
    expectPicture moving "$window" || fail "the player did not play again"
    xdotool windowminimize --sync "$window"
    sleep 1
    record minimized "$(cpuOver "$player")"
    xdotool windowmap --sync "$window"
    # On another workspace: openbox unmaps the window.
    xdotool set_desktop 1
    sleep 1
    record otherworkspace "$(cpuOver "$player")"
    xdotool set_desktop 0
    # Covered whole by another window.
    xmessage -geometry 1280x800+0+0 -title cover "" 2>/dev/null &
    local cover=$!
    await xdotool search --sync --onlyvisible --name cover
    sleep 1
    record covered "$(cpuOver "$player")"
    endProcesses "$cover"
    # Behind the screen that the desktop's screen saver has locked.
    "$build/bench/kassolin-locked-screen-saver" >>"$work/player.log" 2>&1 &
    local saver=$!
    sleep 1.5
    record locked "$(cpuOver "$player")"
    endProcesses "$saver"
    stopPlayer
    measureTapeDeck
    measureWayland
    measureMutter

    measurePeer
    measureFloor
    record silence "$(longestSilence "$work/pink-1.mp3" "$work/pink-2.mp3")"
    # Shuffled: the same change, reached through the shuffle, the second half first.
    printf '[General]\nShuffleEnabled=true\n' >"$work/config/Kassolin/Kassolin.conf"
    record shuffled "$(longestSilence "$work/pink-2.mp3" "$work/pink-1.mp3")"
    rm -f "$work/config/Kassolin/Kassolin.conf"
}

# The player and the X server while the tape-deck look plays, its reels turning.
measureTapeDeck() {
    printf '[General]\nVintageDesign=true\n' >"$work/config/Kassolin/Kassolin.conf"
    startPlayer "$track"
    xdotool search --sync --onlyvisible --pid "$player" --name Kassolin >/dev/null
    sleep "$warmup"
    profilePlayer tapedeck
    local cpu
    mapfile -t cpu < <(cpuOver "$player" "$xserver")
    record tapedeck "${cpu[0]}"
    record tapedeckxserver "${cpu[1]}"
    stopPlayer
    rm -f "$work/config/Kassolin/Kassolin.conf"
}

# The player and the compositor under Wayland (weston, headless), and the player once weston has
# locked its screen for idleness, when the window gets no more frames.
measureWayland() {
    printf '[core]\nidle-time=%s\n[shell]\nlocking=true\n' $((warmup + span + 2)) \
        >"$work/weston.ini"
    weston --config="$work/weston.ini" --backend=headless-backend.so --socket=kassolin-bench \
        --width=1280 --height=800 >"$work/weston.log" 2>&1 &
    local compositor=$!
    await test -S "$XDG_RUNTIME_DIR/kassolin-bench" || fail "weston did not start (see $work/weston.log)"
    export WAYLAND_DISPLAY=kassolin-bench QT_QPA_PLATFORM=wayland
    startPlayer "$track"
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM
    sleep "$warmup"
    local cpu
    threadSwitches "$player" >"$work/switches-before"
    mapfile -t cpu < <(cpuOver "$player" "$compositor")
    threadSwitches "$player" >"$work/switches-after"
    recordWakeups waylandwake "$work/switches-before" "$work/switches-after"
    record wayland "${cpu[0]}"
    record waylandcompositor "${cpu[1]}"
    sleep 4
    record waylandlocked "$(cpuOver "$player")"
    stopPlayer
    endProcesses "$compositor"
    measureWestonFloor
}

# The bare Qt window under a weston of its own that never locks: what Qt's Wayland platform
# alone costs at 60 frames a second, against the same window's figure on X11.
measureWestonFloor() {
    weston --backend=headless-backend.so --socket=kassolin-floor --width=1280 --height=800 \
        >"$work/weston-floor.log" 2>&1 &
    compositor=$!
    await test -S "$XDG_RUNTIME_DIR/kassolin-floor" || fail "weston did not start (see $work/weston-floor.log)"
    measureFloorOn waylandfloor waylandfloorcompositor "$compositor" \
        WAYLAND_DISPLAY=kassolin-floor QT_QPA_PLATFORM=wayland
    endProcesses "$compositor"
    compositor=
}

peerPlays() {
    [ "$(audtool playback-status)" = playing ]
}

# The lightest peer that shows a display beside the player, on the same track in the same
# span: Audacious with its GTK interface and its spectrum analyzer in a window of its own. The
# two play in turns of a few seconds, the other paused meanwhile, so that a change in the
# machine's load weighs on both alike; each one's CPU, and with the sound and X servers', is
# summed over its turns.
measurePeer() {
    command -v audacious >/dev/null || return 0
    startPeer
    startPlayer "$track"
    local window
    window=$(xdotool search --sync --onlyvisible --pid "$player" --name Kassolin | head -n1)
    # Below the peer's windows, which sit at the top.
    xdotool windowmove --sync "$window" 0 420
    sleep "$warmup"
    local turn=5 settle=1 mine=(0 0 0) theirs=(0 0 0) i
    for ((i = 0; i < span / turn; ++i)); do
        peerPlays && audtool playback-pause
        pressTransportKey Play
        sleep "$settle"
        addTicks mine $(ticksOver "$turn" "$player" "$soundserver" "$xserver")
        pressTransportKey Pause
        peerPlays || audtool playback-pause
        sleep "$settle"
        addTicks theirs $(ticksOver "$turn" "$peer" "$soundserver" "$xserver")
    done
    local seconds=$((span / turn * turn))
    record besideplayer "$(percentOf "${mine[0]}" "$seconds")"
    record besideplayerservers "$(percentOf $((mine[0] + mine[1] + mine[2])) "$seconds")"
    record peer "$(percentOf "${theirs[0]}" "$seconds")"
    record peerservers "$(percentOf $((theirs[0] + theirs[1] + theirs[2])) "$seconds")"
    stopPlayer
    audtool shutdown
    endProcesses "$peer"
    peer=
}

# Adds the figures that follow to the array named $1, figure by figure.
addTicks() {
    local -n total=$1
    shift
    local i=0 ticks
    for ticks in "$@"; do
        total[i]=$((total[i] + ticks))
        ((++i))
    done
}

# Audacious playing the track, its spectrum analyzer enabled on a first start that lists its
# plugins, and placed at the screen's top.
startPeer() {
    local config="$work/peer-config"
    mkdir -p "$config/audacious"
    XDG_CONFIG_HOME="$config" audacious --gtk >>"$work/peer.log" 2>&1 &
    peer=$!
    await audtool version || fail "Audacious did not start (see $work/peer.log)"
    audtool shutdown
    wait "$peer" || true
    awk '/^[a-z]+ \// { spectrum = ($0 ~ /cairo-spectrum\.so$/) }
         spectrum && $1 == "enabled" { $0 = "enabled 1" } { print }' \
        "$config/audacious/plugin-registry" >"$work/registry"
    mv "$work/registry" "$config/audacious/plugin-registry"
    printf '[gtkui-layout]\nitem0_name=Spectrum Analyzer\nitem0_pos=-1,820,0,284,188\nitem_count=1\n' \
        >"$config/audacious/config"
    watchMaps
    XDG_CONFIG_HOME="$config" audacious --gtk --play "$track" >>"$work/peer.log" 2>&1 &
    peer=$!
    recordLaunch peerlaunch Audacious
    await peerPlays || fail "Audacious did not play (see $work/peer.log)"
}

# The player and the compositor under GNOME's compositor (mutter, headless, one virtual monitor),
# which draws its frames in software here; and the bare Qt window there, for the compositor's
# cost of a window that redraws the same area at 60 Hz.
measureMutter() {
    command -v mutter >/dev/null || return 0
    startMutter || return 0
    startPlayer "$track"
    local cpu
    sleep "$warmup"
    mapfile -t cpu < <(cpuOver "$player" "$compositor")
    record mutter "${cpu[0]}"
    record muttercompositor "${cpu[1]}"
    stopPlayer
    measureFloorOn mutterfloor mutterfloorcompositor "$compositor"
    endProcesses "$compositor"
    compositor=
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM
}

startMutter() {
    mutter --headless --wayland --no-x11 --sm-disable --wayland-display=kassolin-mutter \
        --virtual-monitor 1280x800 >"$work/mutter.log" 2>&1 &
    compositor=$!
    if ! await test -S "$XDG_RUNTIME_DIR/kassolin-mutter"; then
        echo "bench-playback: mutter did not start (see $work/mutter.log): no figures under it" >&2
        endProcesses "$compositor"
        compositor=
        return 1
    fi
    export WAYLAND_DISPLAY=kassolin-mutter QT_QPA_PLATFORM=wayland
}

# What Qt alone costs at the player's frame rate, sending its frames as the player does.
measureFloor() {
    measureFloorOn floor floorxserver "$xserver" QT_XCB_NO_MITSHM=1
}

# The bare Qt window's CPU and its display server's (PID $3), recorded as $1 and $2, the window
# started with the environment's settings that follow.
measureFloorOn() {
    local cpu
    env "${@:4}" "$build/bench/kassolin-paint-floor" >>"$work/player.log" 2>&1 &
    floor=$!
    sleep "$warmup"
    mapfile -t cpu < <(cpuOver "$floor" "$3")
    record "$1" "${cpu[0]}"
    record "$2" "${cpu[1]}"
    endProcesses "$floor"
    floor=
}

# The longest silence at the change between two tracks: the monitor recorded from before the
# first track to after the second.
longestSilence() {
    parec -d kassolin_bench.monitor --format=s16le --rate=44100 --channels=2 \
        --latency-msec=20 >"$work/monitor.s16" &
    recorder=$!
    sleep 0.5
    startPlayer "$@"
    sleep 8
    stopPlayer
    endProcesses "$recorder"
    recorder=
    "$build/bench/kassolin-longest-silence" "$work/monitor.s16"
}

# "TITLE: value" for the median of one figure over the median of another; 0 without the second.
ratio() {
    awk -v title="$1" -v a="$(median "$2")" -v b="$(median "$3")" \
        'BEGIN { printf "%s: %.2f\n", title, (b > 0 ? a / b : 0) }'
}

# The sum of the figures given, as one figure.
sum() {
    awk 'BEGIN { for (i = 1; i < ARGC; ++i) total += ARGV[i]; printf "%.2f", total }' "$@"
}

# "TITLE: r1 r2 ..." with each run's figure $2 over its figure $3, or less it with a fourth
# argument "minus", where both were recorded.
eachRun() {
    grep -q "^$2 " "$work/figures" && grep -q "^$3 " "$work/figures" || return 0
    echo "$1: $(awk -v a="$2" -v b="$3" -v minus="${4:-}" '
        $1 == a { x[++n] = $2 } $1 == b { y[++m] = $2 }
        END {
            for (i = 1; i <= n && i <= m; ++i)
                printf "%s%.2f", (i > 1 ? " " : ""),
                    minus ? x[i] - y[i] : (y[i] > 0 ? x[i] / y[i] : 0)
        }' "$work/figures")"
}

median() {
    awk -v name="$1" '$1 == name { print $2 }' "$work/figures" | sort -g |
        awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

for ((run = 1; run <= runs; ++run)); do
    recorded=0
    [ -f "$work/figures" ] && recorded=$(wc -l <"$work/figures")
    measureRun
    echo "run $run of $runs:" $(awk '{ printf "%s=%s ", $1, $2 }' \
        <(tail -n +$((recorded + 1)) "$work/figures")) >&2
done

echo "player cpu, playing, all displays: $(median player) %"
echo "sound server cpu, playing: $(median soundserver) %"
echo "x server cpu, playing: $(median xserver) %"
echo "player wake-ups a second, playing: main thread $(median wakemain)," \
    "libpulse's thread $(median wakesound), Qt's threads $(median wakeqt)," \
    "work queue's lanes $(median wakelanes)"
echo "player cpu, paused: $(median paused) %"
echo "player cpu, playing minimized: $(median minimized) %"
echo "player cpu, playing on another workspace: $(median otherworkspace) %"
echo "player cpu, playing covered by another window: $(median covered) %"
echo "player cpu, playing behind the locked screen: $(median locked) %"
echo "player cpu, playing, tape-deck look: $(median tapedeck) %"
echo "x server cpu, tape-deck look: $(median tapedeckxserver) %"
echo "player cpu, playing under wayland: $(median wayland) %"
echo "compositor cpu, wayland: $(median waylandcompositor) %"
echo "player cpu, playing under wayland behind the locked screen: $(median waylandlocked) %"
echo "player wake-ups a second under wayland: main thread $(median waylandwakemain)," \
    "Qt's threads $(median waylandwakeqt)"
echo "bare qt window under wayland, cpu: $(median waylandfloor) %"
echo "compositor cpu, wayland, bare qt window: $(median waylandfloorcompositor) %"
if grep -q '^mutter ' "$work/figures"; then
    echo "player cpu, playing under mutter: $(median mutter) %"
    echo "compositor cpu, mutter: $(median muttercompositor) %"
    echo "bare qt window under mutter, cpu: $(median mutterfloor) %"
    echo "compositor cpu, mutter, bare qt window: $(median mutterfloorcompositor) %"
fi
echo "player resident memory: $(median rss) MB"
echo "player proportional memory: $(median pss) MB"
echo "launch to mapped window: $(median launch) s"
echo "longest silence at a track change: $(median silence) ms"
echo "longest silence at a shuffled track change: $(median shuffled) ms"
echo "bare qt window, one band at 60 hz, cpu: $(median floor) %"
echo "x server cpu, bare qt window: $(median floorxserver) %"
ratio "player over bare qt window, cpu" player floor
ratio "x server over bare qt window's, cpu" xserver floorxserver
if grep -q '^peer ' "$work/figures"; then
    echo "peer cpu, audacious gtk with its spectrum window: $(median peer) %"
    echo "peer cpu with the sound and x servers: $(median peerservers) %"
    echo "player cpu in its turns beside the peer: $(median besideplayer) %"
    echo "player cpu with the sound and x servers in its turns: $(median besideplayerservers) %"
    echo "peer launch to mapped window: $(median peerlaunch) s"
    ratio "player over peer, cpu" besideplayer peer
    ratio "player with the servers over peer's, cpu" besideplayerservers peerservers
fi
ratio "tape-deck look over standard look, cpu" tapedeck player
# Point by point, each run's figure: where a median would hide one run's miss.
eachRun "player over peer, cpu, each run" besideplayer peer
eachRun "player with the servers over peer's, cpu, each run" besideplayerservers peerservers
eachRun "launch over peer's, each run" launch peerlaunch
eachRun "player under wayland less x11, cpu points, each run" wayland player minus
eachRun "bare qt window under wayland less x11, cpu points, each run" waylandfloor floor minus
eachRun "player under mutter less x11, cpu points, each run" mutter player minus
eachRun "bare qt window under mutter less x11, cpu points, each run" mutterfloor floor minus
