#!/usr/bin/env bash
# Cross-compiles velqa.dll with mingw-w64, checks its export and import tables, and runs
# a small loader under wine that binds the ten exports by name and checks how they
# behave with no mouse attached.
#   check.sh <devlib source folder> <work folder>
# Exit 0 pass, 1 fail, 77 skipped (toolchain or wine missing).
set -u

src=${1:?devlib source folder}
out=${2:?work folder}
cxx=${MINGW_CXX:-x86_64-w64-mingw32-g++}
objdump=${MINGW_OBJDUMP:-x86_64-w64-mingw32-objdump}
. "$(dirname "$0")/wine.sh"

for tool in "$cxx" "$objdump" "$wine"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool not found"
        exit 77
    fi
done

fail() { echo "FAIL: $*"; exit 1; }

mkdir -p "$out" || fail "cannot create $out"
rm -f "$out/velqa.dll" "$out/velqa_loader.exe"

echo "== building velqa.dll"
"$cxx" -std=c++17 -O2 -Wall -Wextra -Werror -shared -o "$out/velqa.dll" \
    -I"$src" "$src/velqa_win.cpp" -lsetupapi -lhid -static-libgcc -static-libstdc++ ||
    fail "velqa.dll does not build"

dump=$("$objdump" -p "$out/velqa.dll") || fail "objdump cannot read velqa.dll"

echo "== export table"
exports=$(printf '%s\n' "$dump" |
    sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | LC_ALL=C sort)
expected=$(printf '%s\n' CloseConfigDevice CloseDevice OpenConfigDevice OpenDevice ReadConfig \
    ReadConfigData ReadControl ReadData WrtieConfig WrtieControl | LC_ALL=C sort)
printf '%s\n' "$exports"
[ "$exports" = "$expected" ] || fail "exports differ from the ten undecorated names; expected:
$expected"

echo "== imported DLLs"
imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p')
printf '%s\n' "$imports"
if printf '%s\n' "$imports" | grep -Eiq '^(libgcc_s|libstdc\+\+|libwinpthread)'; then
    fail "velqa.dll depends on a compiler-runtime DLL"
fi

echo "== building the loader"
"$cxx" -std=c++17 -O2 -Wall -Wextra -Werror -o "$out/velqa_loader.exe" \
    -I"$src/../app" "$(dirname "$0")/loader.cpp" -static-libgcc -static-libstdc++ ||
    fail "the loader does not build"

echo "== running the loader under wine"
wine_run "$out" velqa_loader.exe
rc=$?
[ "$rc" -eq 0 ] || fail "the loader reported failures (exit $rc)"
echo "PASS: velqa.dll builds, exports exactly the ten names and behaves without a mouse"
