#!/usr/bin/env bash
# cmake --install into a fresh prefix, checks the files and the menu entry, then
# starts the installed program under Xvfb: on the virtual mouse it must open
# the mouse and show its window; on its own library it must load libvelqa.so
# from beside itself.
#   check_install.sh <build folder> <virtual mouse library> <work folder>
# Exit 0 pass, 1 fail, 77 skipped (a tool is missing).
set -u
build=${1:?build folder}
vmouse=${2:?virtual mouse library}
work=${3:?work folder}

for tool in cmake desktop-file-validate xvfb-run xwininfo; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool not found"; exit 77; }
done
. "$(dirname "$0")/common.sh"

prefix=$work/prefix
rm -rf "$work" && mkdir -p "$work" || fail "cannot make $work"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    fail "cmake --install: $(cat "$work/install.log")"

for f in bin/kivomouse lib/kivomouse/kivomouse bin/kivoctl lib/kivomouse/kivoctl lib/kivomouse/libvelqa.so \
    lib/udev/rules.d/70-kivo-z9k.rules share/applications/kivomouse.desktop \
    share/icons/hicolor/64x64/apps/kivomouse.png share/icons/hicolor/256x256/apps/kivomouse.png \
    share/metainfo/com.kivo_gaming.kivomouse.metainfo.xml; do
    [ -e "$prefix/$f" ] || fail "$f not installed"
done
[ -x "$prefix/bin/kivomouse" ] || fail "bin/kivomouse is not executable"
[ "$(readlink -f "$prefix/bin/kivomouse")" = "$(readlink -f "$prefix/lib/kivomouse/kivomouse")" ] ||
    fail "bin/kivomouse does not lead to lib/kivomouse/kivomouse"
[ -x "$prefix/bin/kivoctl" ] || fail "bin/kivoctl is not executable"
[ "$(readlink -f "$prefix/bin/kivoctl")" = "$(readlink -f "$prefix/lib/kivomouse/kivoctl")" ] ||
    fail "bin/kivoctl does not lead to lib/kivomouse/kivoctl"

desktop=$prefix/share/applications/kivomouse.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects kivomouse.desktop"
grep -qx 'Name=Kivo游戏鼠标' "$desktop" || fail "menu entry name"
grep -qx 'Icon=kivomouse' "$desktop" || fail "menu entry icon"
grep -q '^Categories=.*HardwareSettings' "$desktop" || fail "menu entry category"

run_window "$prefix/bin/kivomouse" "$work/vmouse.log" "PATH:" 100 VELQA_LIBRARY="$vmouse"
grep -q "PATH:" "$work/vmouse.log" || fail "no mouse opened on the virtual mouse: $(cat "$work/vmouse.log")"
grep -q "Kivo游戏鼠标" "$work/vmouse.log.windows" ||
    fail "no window shown: $(cat "$work/vmouse.log.windows")"
# Started from its prefix (as the menu entry starts it) it works in its data
# folder, the one autostart and kivoctl use, not in the folder it was started from.
[ "$(cat "$work/vmouse.log.cwd")" = "$work/data/kivomouse" ] ||
    fail "the installed program works in '$(cat "$work/vmouse.log.cwd")', not $work/data/kivomouse"

# Without the override the program loads the libvelqa.so installed beside it
# (and, with no mouse here, shows the no-device page; a refusal would come at once).
run_window "$prefix/bin/kivomouse" "$work/own.log" "box:" 10 VELQA_LIBRARY=
if grep -q "box:" "$work/own.log"; then fail "the installed program refused its library: $(cat "$work/own.log")"; fi
grep -q "Kivo游戏鼠标" "$work/own.log.windows" || fail "no window on the installed library"

# kivoctl from the prefix: on the virtual mouse it reads the mouse; on the
# library installed beside it, with no mouse here, it says so with exit code 3.
ctl() {
    mkdir -p "$work/tmp"
    env TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" VMOUSE_STATE= "$@"
}
out=$(ctl VELQA_LIBRARY="$vmouse" "$prefix/bin/kivoctl" show 2>&1) ||
    fail "installed kivoctl show on the virtual mouse: $out"
echo "$out" | grep -q '^firmware' || fail "installed kivoctl show printed: $out"
ctl VELQA_LIBRARY= "$prefix/bin/kivoctl" show >"$work/ctl.log" 2>&1
rc=$?
[ $rc -eq 3 ] || fail "installed kivoctl without a mouse: exit $rc, $(cat "$work/ctl.log")"

echo "PASS: installed under $prefix, menu entry valid, the program and kivoctl start from the prefix"
