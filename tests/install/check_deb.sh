#!/usr/bin/env bash
# The Debian package: made by CPack from the build, checked by lintian and by
# its file list, its maintainer scripts tried against a stand-in udevadm, then
# installed with apt-get; the installed program shows its window on the
# virtual mouse under Xvfb, kivoctl answers, and purging leaves nothing behind.
#   check_deb.sh <build folder> <virtual mouse library> <work folder> <version>
# Exit 0 pass, 1 fail, 77 skipped (not root: installing a package needs it).
set -u
build=${1:?build folder}
vmouse=${2:?virtual mouse library}
work=${3:?work folder}
version=${4:?version}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing the package with apt-get needs root (CI runs as root)"
    exit 77
fi
for tool in cpack dpkg dpkg-deb dpkg-query apt-get lintian appstreamcli desktop-file-validate \
    xvfb-run xwininfo file; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool not found: run scripts/install-deps.sh"
done

export DEBIAN_FRONTEND=noninteractive
apt_quiet() {
    apt-get -o DPkg::Lock::Timeout=300 -y -q "$@" >>"$work/apt.log" 2>&1
}
installed() {
    dpkg-query -W -f='${db:Status-Status}' kivomouse 2>/dev/null | grep -qv '^not-installed$'
}
# Whatever happens below, the package does not stay installed.
cleanup() { installed && apt_quiet remove --purge kivomouse; }
trap cleanup EXIT

rm -rf "$work" && mkdir -p "$work/package" || fail "cannot make $work"
if installed; then
    echo "a kivomouse package is installed already (an earlier run's, or yours): purging it first"
    apt_quiet remove --purge kivomouse || fail "cannot purge the installed kivomouse: $(cat "$work/apt.log")"
fi
# What a failed run found left behind would be found again: this run starts clean.
for d in /usr/lib/kivomouse /usr/share/doc/kivomouse; do
    if [ -e "$d" ]; then
        echo "removing $d, left by an earlier run: $(ls -A "$d" | tr '\n' ' ')"
        rm -rf "$d"
    fi
done

# ---- the package
(cd "$build" && cpack -G DEB -B "$work/package") >"$work/cpack.log" 2>&1 ||
    fail "cpack -G DEB: $(cat "$work/cpack.log")"
debs=("$work"/package/kivomouse_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single kivomouse_*.deb: ${debs[*]}"
deb=${debs[0]}
[ "$(basename "$deb")" = "kivomouse_${version}_$(dpkg --print-architecture).deb" ] ||
    fail "package file name $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kivomouse ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), the program is $version"
# Computed by dpkg-shlibdeps from what the binaries link, so Qt and libc are in.
for dep in libc6 libqt5core5a libqt5widgets5 libqt5network5 libquazip1-qt5-1 libudev1; do
    field Depends | grep -Eq "(^|, )$dep( |,|$)" || fail "Depends lacks $dep: $(field Depends)"
done

[ "$(field Recommends)" = qtwayland5 ] || fail "Recommends: $(field Recommends)"

lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || fail "lintian: $(cat "$work/lintian.log")"
grep -E '^[WE]: ' "$work/lintian.log" | sed 's/^/lintian: /'

# Exactly these files and links, nothing else.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 ($7 == "->" ? " -> " $8 : "") }' | sort >"$work/files"
sort >"$work/files.expected" <<'EOF'
./usr/bin/kivoctl -> ../lib/kivomouse/kivoctl
./usr/bin/kivomouse -> ../lib/kivomouse/kivomouse
./usr/lib/kivomouse/kivoctl
./usr/lib/kivomouse/kivomouse
./usr/lib/kivomouse/libvelqa.so
./usr/lib/udev/rules.d/70-kivo-z9k.rules
./usr/share/applications/kivomouse.desktop
./usr/share/doc/kivomouse/changelog.gz
./usr/share/doc/kivomouse/copyright
./usr/share/icons/hicolor/256x256/apps/kivomouse.png
./usr/share/icons/hicolor/64x64/apps/kivomouse.png
./usr/share/metainfo/com.kivo_gaming.kivomouse.metainfo.xml
EOF
diff -u "$work/files.expected" "$work/files" >"$work/files.diff" ||
    fail "the package's files differ from the list: $(cat "$work/files.diff")"

root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
grep -q 'TAG+="uaccess"' "$root/usr/lib/udev/rules.d/70-kivo-z9k.rules" || fail "the udev rule gives no uaccess"
file "$root/usr/share/icons/hicolor/64x64/apps/kivomouse.png" | grep -q 'PNG image data, 64 x 64' ||
    fail "64x64 icon: $(file "$root/usr/share/icons/hicolor/64x64/apps/kivomouse.png")"
file "$root/usr/share/icons/hicolor/256x256/apps/kivomouse.png" | grep -q 'PNG image data, 256 x 256' ||
    fail "256x256 icon: $(file "$root/usr/share/icons/hicolor/256x256/apps/kivomouse.png")"
metainfo=$root/usr/share/metainfo/com.kivo_gaming.kivomouse.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
    fail "appstreamcli validate: $(cat "$work/appstream.log")"
grep -q '<modalias>usb:v2717p5009d\*</modalias>' "$metainfo" || fail "metainfo provides no modalias of the mouse"
desktop-file-validate "$root/usr/share/applications/kivomouse.desktop" || fail "desktop-file-validate"
zcat "$root/usr/share/doc/kivomouse/changelog.gz" | head -1 | grep -q "^kivomouse ($version) " ||
    fail "the changelog's latest entry is not $version: $(zcat "$root/usr/share/doc/kivomouse/changelog.gz" | head -1)"

# ---- the maintainer scripts, against a udevadm that logs what it is asked
control=$work/control
dpkg-deb -e "$deb" "$control" || fail "dpkg-deb -e"
fake=$work/fakebin
mkdir -p "$fake" "$work/nobin"
cat >"$fake/udevadm" <<'EOF'
#!/bin/sh
echo "$*" >>"$UDEVADM_LOG"
case "$UDEV_STATE:$*" in
    down:"control --ping") exit 1 ;; # udevd not running: the ping finds no one
    broken:"control --ping") exit 0 ;;
    broken:*) exit 1 ;; # running, but every request fails
esac
exit 0
EOF
chmod +x "$fake/udevadm"
# script, arguments, udev state ("none" = no udevadm at all), the requests expected
maint() {
    local script=$1 arg=$2 state=$3 expected=$4 path=$fake out rc
    [ "$state" = none ] && path=$work/nobin
    : >"$work/udevadm.log"
    out=$(env -i PATH="$path" UDEVADM_LOG="$work/udevadm.log" UDEV_STATE="$state" \
        /bin/sh "$control/$script" "$arg" 2>&1)
    rc=$?
    [ $rc -eq 0 ] || fail "$script $arg with udev $state: exit $rc: $out"
    [ -z "$out" ] || fail "$script $arg with udev $state printed: $out"
    [ "$(paste -sd '|' "$work/udevadm.log")" = "$expected" ] ||
        fail "$script $arg with udev $state asked udevadm: $(paste -sd '|' "$work/udevadm.log"), not $expected"
}
reload="control --ping|control --reload-rules|trigger --subsystem-match=hidraw --action=change"
maint postinst configure running "$reload"
maint postinst configure down "control --ping"
maint postinst configure none ""
maint postinst configure broken "$reload"
maint postinst abort-upgrade running ""
maint postrm remove running "$reload"
maint postrm purge running "$reload"
maint postrm remove down "control --ping"
maint postrm remove none ""
maint postrm upgrade running ""

# ---- installed with apt-get, offline: the dependencies are on this machine
(cd "$work/package" && apt_quiet install --no-install-recommends ./kivomouse_*.deb) ||
    fail "apt-get install: $(tail -20 "$work/apt.log")"
[ "$(dpkg-query -W -f='${db:Status-Abbrev}${Version}' kivomouse)" = "ii $version" ] ||
    fail "not installed: $(dpkg-query -W -f='${db:Status-Abbrev}${Version}' kivomouse)"
[ "$(readlink -f /usr/bin/kivomouse)" = /usr/lib/kivomouse/kivomouse ] || fail "/usr/bin/kivomouse"
[ "$(readlink -f /usr/bin/kivoctl)" = /usr/lib/kivomouse/kivoctl ] || fail "/usr/bin/kivoctl"

run_window /usr/bin/kivomouse "$work/vmouse.log" "PATH:" 100 VELQA_LIBRARY="$vmouse"
grep -q "PATH:" "$work/vmouse.log" || fail "the installed program opened no mouse: $(cat "$work/vmouse.log")"
grep -q "Kivo游戏鼠标" "$work/vmouse.log.windows" ||
    fail "the installed program showed no window: $(cat "$work/vmouse.log.windows")"

out=$(cd "$work/run" && env TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    HOME="$work/home" VMOUSE_STATE= VELQA_LIBRARY="$vmouse" /usr/bin/kivoctl show 2>&1) ||
    fail "/usr/bin/kivoctl show: $out"
echo "$out" | grep -q '^firmware' || fail "/usr/bin/kivoctl show printed: $out"

# ---- purged: not one of its files or folders stays
apt_quiet remove --purge kivomouse || fail "apt-get remove --purge: $(tail -20 "$work/apt.log")"
! installed || fail "still known to dpkg after the purge: $(dpkg-query -W -f='${db:Status-Abbrev}' kivomouse)"
left=$(sed 's/ -> .*//; s/^\.//' "$work/files.expected" | while read -r f; do
    [ -e "$f" ] || [ -L "$f" ] && echo "$f"
done)
for d in /usr/lib/kivomouse /usr/share/doc/kivomouse; do
    [ -e "$d" ] && left="$left $d: $(ls -A "$d")"
done
[ -z "$left" ] || fail "left behind after the purge: $left"

echo "PASS: $(basename "$deb") made, lintian without errors, its files as listed, installed," \
    "the program's window and kivoctl from /usr/bin, nothing left after the purge"
