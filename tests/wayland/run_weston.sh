#!/usr/bin/env bash
# Runs a command as a Wayland client of a headless weston of its own, whose
# seat is weston_input.c's: the command finds the compositor by
# WAYLAND_DISPLAY and the seat's request socket by KIVO_WESTON_INPUT.
#   run_weston.sh <seat module> <command> [argument ...]
# Exits with the command's code; 1 when weston does not come up.
set -u
module=$(realpath "${1:?seat module}") # weston looks for a bare name in its own folder
shift
command -v weston >/dev/null 2>&1 || { echo "FAIL: weston not found: run scripts/install-deps.sh"; exit 1; }

# A short path of its own: socket paths are limited to 107 bytes.
runtime=$(mktemp -d /tmp/kivo-weston.XXXXXX) || exit 1
chmod 700 "$runtime"
cat >"$runtime/weston.ini" <<'INI'
[core]
idle-time=0
[shell]
panel-position=none
[input-method]
path=
INI
export XDG_RUNTIME_DIR=$runtime KIVO_WESTON_INPUT=$runtime/seat
weston --config="$runtime/weston.ini" --backend=headless-backend.so --socket=wayland-test \
    --width=1600 --height=1000 --modules="$module" --log="$runtime/weston.log" &
weston=$!
trap 'kill $weston 2>/dev/null; wait $weston 2>/dev/null; rm -rf "$runtime"' EXIT
for _ in $(seq 100); do
    [ -S "$runtime/wayland-test" ] && [ -S "$KIVO_WESTON_INPUT" ] && break
    if ! kill -0 $weston 2>/dev/null; then
        echo "FAIL: weston ended: $(cat "$runtime/weston.log")"
        exit 1
    fi
    sleep 0.1
done
[ -S "$KIVO_WESTON_INPUT" ] || { echo "FAIL: no seat from weston: $(cat "$runtime/weston.log")"; exit 1; }

export WAYLAND_DISPLAY=wayland-test QT_QPA_PLATFORM=wayland
unset DISPLAY
"$@"
