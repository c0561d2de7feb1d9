# Shared by the install tests; sourced. Needs $work (a folder of the test's own).

fail() {
    echo "FAIL: $*"
    exit 1
}

# One run of an installed program under its own Xvfb, on the X server whatever
# platform the test runner chose for the others. Waits for <awaited> in its
# log (at most <rounds> × 0.2 s), then for its window; writes the log to <log>,
# the server's window tree to <log>.windows and its working folder to <log>.cwd.
#   run_window <program> <log> <awaited> <rounds> [VAR=value ...]
run_window() {
    local program=$1 log=$2 wait_for=$3 rounds=$4
    shift 4
    mkdir -p "$work/tmp" "$work/config" "$work/data" "$work/home" "$work/run"
    # Nothing of the run lands in the user's folders or the build folder.
    (cd "$work/run" &&
        env QT_QPA_PLATFORM=xcb TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config" \
            XDG_DATA_HOME="$work/data" HOME="$work/home" \
            QT_LOGGING_TO_CONSOLE=1 KIVO_AUTOCLOSE_BOXES=1 VMOUSE_STATE= "$@" \
            xvfb-run -a -s "-screen 0 1100x750x24" bash -c '
            "$1" >"$2" 2>&1 &
            app=$!
            for i in $(seq "$4"); do
                grep -q "$3" "$2" 2>/dev/null && break
                kill -0 $app 2>/dev/null || break
                sleep 0.2
            done
            # The window is shown after the first read of the mouse: wait for it.
            for i in $(seq 100); do
                xwininfo -root -tree >"$2.windows" 2>&1
                grep -q "Kivo游戏鼠标" "$2.windows" && break
                kill -0 $app 2>/dev/null || break
                sleep 0.2
            done
            readlink "/proc/$app/cwd" >"$2.cwd" 2>/dev/null
            kill $app 2>/dev/null
            wait $app 2>/dev/null
            true' _ "$program" "$log" "$wait_for" "$rounds")
}
