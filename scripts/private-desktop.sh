# Sourced by the scripts that run the player on a desktop of their own: a private home,
# runtime and settings folder under `work`, no session bus, and an X server (Xvfb) with a small
# window manager. The caller keeps the servers' PIDs in `servers` and ends them on exit. The
# test command uses its waiting and ending alone.

# Polls `command` every 50 ms for up to 10 s.
await() {
    local tries
    for ((tries = 0; tries < 200; ++tries)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    return 1
}

# Makes the private folders in `work` and points the session at them.
enterPrivateSession() {
    local work=$1
    mkdir -m 0700 "$work/runtime" "$work/home" "$work/config"
    mkdir "$work/config/Kassolin"
    export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config"
    # No session bus: nothing may autolaunch one behind the script's back.
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
    export LANG=C.UTF-8
}

# Starts Xvfb and openbox and exports DISPLAY; `xserver` is the X server's PID.
startDesktop() {
    local work=$1
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    servers+=($!)
    xserver=$!
    await test -s "$work/display" || return 1
    export DISPLAY=":$(cat "$work/display")"
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    servers+=($!)
    await sh -c 'xprop -root -notype _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
}

# Ends the given processes and waits for each.
endProcesses() {
    local pid
    for pid in "$@"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
