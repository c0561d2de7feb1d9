#!/usr/bin/env bash
# Builds the program and starts it on the virtual mouse. The mouse keeps its
# settings in build/vmouse-state, so they survive restarts.
#
# Without a display it runs under Xvfb instead, writes a screenshot of the
# window to build/screenshot.png and ends. KIVO_SHOT=<file> forces that mode
# and names the file; KIVO_SHOT_DELAY sets the wait in seconds before the shot.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target kivomouse velqa-vmouse

export VELQA_LIBRARY="$PWD/build/bin/libvelqa-vmouse.so"
export VMOUSE_STATE="$PWD/build/vmouse-state"

if [ -n "${DISPLAY:-}" ] && [ -z "${KIVO_SHOT:-}" ]; then
  exec build/bin/kivomouse "$@"
fi

shot="$(realpath -m "${KIVO_SHOT:-build/screenshot.png}")"
delay="${KIVO_SHOT_DELAY:-3}"
rm -f "$shot"
# The screen is the window's own size, so the centred window fills it exactly.
xvfb-run -a -s "-screen 0 1100x750x24" bash -c '
  build/bin/kivomouse "${@:3}" &
  app=$!
  sleep "$2"
  import -window root "$1"
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
' shot "$shot" "$delay" "$@"
[ -s "$shot" ] || { echo "no screenshot was taken" >&2; exit 1; }
echo "screenshot of the window: $shot"
