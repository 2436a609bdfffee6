# Shared by the tests that run the designer on a real X server (Xvfb): sourced, not run.
# Needs: $work (a temporary folder of the caller's). Sets DISPLAY and the user folders.

x_session_pids=()

x_session_cleanup() {
    local pid
    for pid in "${x_session_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}

x_session_require() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "$0: $tool is missing" >&2; exit 1; }
    done
}

# Starts Xvfb at WIDTHxHEIGHT on a free display and waits until it answers. The display is
# named, not left to -displayfd: a server started that way takes no lock file, so another one
# may later take the same display. The lock file holding our server's PID proves that the
# display we talk to is ours.
x_session_start() {
    local display xvfb_pid first=$((100 + RANDOM % 800))
    for display in $(seq "$first" "$((first + 40))"); do
        # -noreset: without it the server resets when its last client (the probe below) leaves,
        # and a client connecting during the reset is turned away.
        Xvfb ":$display" -screen 0 "${1}x24" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 150); do
            kill -0 "$xvfb_pid" 2>/dev/null || break
            if [[ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$display-lock")" == "$xvfb_pid" ]] &&
                DISPLAY=":$display" xwininfo -root >/dev/null 2>&1; then
                x_session_pids+=("$xvfb_pid")
                export DISPLAY=":$display"
                export VOCARA_USER_DIR=$work/user VOCARA_REGISTRY_DIR=$work/registry
                export QT_QPA_PLATFORM=xcb
                return 0
            fi
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    done
    echo "$0: Xvfb found no free display" >&2
    cat "$work/xvfb.log" >&2
    exit 1
}

# Polls CONDITION (a command) every 0.1 s for up to 60 s; fails with MESSAGE. The wait is long
# for a sanitizer build on a busy machine; when things go well it costs nothing.
x_session_until() {
    local message=$1
    shift
    for _ in $(seq 600); do
        "$@" && return 0
        sleep 0.1
    done
    echo "$0: $message" >&2
    exit 1
}

# Starts the designer on FLOW (log in $work/NAME.log) and waits for its window.
# Sets x_session_window to the window's id and x_session_pid to the process.
x_session_designer() {
    local name=$1 vocara=$2 flow=$3
    "$vocara" --no-splash "$flow" >"$work/$name.log" 2>&1 &
    x_session_pid=$!
    x_session_pids+=("$x_session_pid")
    local title
    title="$(basename "$flow") - Vocara"
    x_session_until "no window titled $title" \
        bash -c "xwininfo -root -tree | grep -qF '\"$title\"' || ! kill -0 $x_session_pid"
    kill -0 "$x_session_pid" || { echo "$name ended early" >&2; cat "$work/$name.log" >&2; exit 1; }
    # Named before it is mapped: wait until it can be seen.
    x_session_until "the window of $name was never shown" \
        bash -c "[[ -n \$(xdotool search --onlyvisible --pid $x_session_pid 2>/dev/null) ]]"
    x_session_window=$(xdotool search --onlyvisible --pid "$x_session_pid" | head -1)
}

# The number of windows the process PID shows.
x_session_windows() {
    xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l
}
