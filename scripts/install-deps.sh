#!/usr/bin/env bash
# Installs, with apt-get as root, only the Debian packages this project needs
# that are not on the machine yet. Safe to run again: it installs nothing twice.
set -euo pipefail

pkgs=(
  clang libclang-rt-dev  # the sanitized build and the fuzzers (ASan, UBSan, libFuzzer runtimes)
  cmake g++ make pkg-config
  qtbase5-dev libqt5svg5 libquazip1-qt5-dev libudev-dev libfontconfig-dev libpng-dev
  qttools5-dev qttools5-dev-tools  # lupdate and lrelease: the English translation
  mingw-w64 libz-mingw-w64-dev wine64  # the Windows checks (zlib: QuaZip's headers need its header)
  xvfb xauth x11-apps imagemagick fonts-wqy-microhei xdotool libx11-dev libxcb1-dev
  nginx-light openssl
  desktop-file-utils x11-utils
  dpkg-dev file lintian appstream  # the Debian package: dpkg-shlibdeps for CPack, its checks
  weston qtwayland5 libweston-10-dev  # the program as a Wayland client under headless weston
)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get -o DPkg::Lock::Timeout=900 update -qq
apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
