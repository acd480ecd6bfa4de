# Sourced by the end-to-end tests and the benchmarks: starts a private Xvfb, exports DISPLAY and
# a private runtime folder and home below $work, and sets xpid for the caller's cleanup.
start_xvfb() {
    exec 3<> "$work/display"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -maxclients 2048 >/dev/null 2>&1 &
    xpid=$!
    for _ in $(seq 100); do grep -q . "$work/display" 2>/dev/null && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    xdpyinfo >/dev/null 2>&1 || { echo "no X server on $DISPLAY"; return 1; }
    export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
    mkdir -p "$XDG_RUNTIME_DIR" "$HOME" && chmod 700 "$XDG_RUNTIME_DIR"
}
