#!/usr/bin/env bash
# The program's Windows code, checked with mingw-w64. There is no Qt for mingw here, so
# the program itself is neither linked nor run:
#   app_check.sh compile <list>         every source of the Windows build compiled to
#                                       syntax only against the Qt 5 and QuaZip headers
#   app_check.sh logic <list> <folder>  the Windows-only logic that needs no Qt, built as
#                                       a console program and run under wine
# <list> is written by CMake (tests/devlib) from the same choice of files as the build:
# one "root DIR" (the source tree), "include DIR" (ours), "sysinclude DIR" (a library's),
# "define NAME[=VALUE]", "source FILE" or "launcher PROGRAM" (a compiler cache) a line.
# Exit 0 pass, 1 fail, 77 skipped (toolchain or wine missing).
set -u

mode=${1:?compile or logic}
list=${2:?list file written by CMake}
here=$(cd "$(dirname "$0")" && pwd)
cxx=${MINGW_CXX:-x86_64-w64-mingw32-g++}
. "$here/wine.sh"

fail() { echo "FAIL: $*"; exit 1; }

if ! command -v "$cxx" >/dev/null 2>&1; then
    echo "SKIP: $cxx not found"
    exit 77
fi
[ -r "$list" ] || fail "no list of Windows sources at $list (configure the build first)"

root=
sources=()
flags=(-std=c++17 -Wall -Wextra)
launcher=()
declare -A seen=()
# Paths inside the source tree are given relative to it, so that the compiler
# cache finds a check of the same files from another checkout or build folder.
relative() {
    case $1 in
    "$root"/*) printf '%s' "${1#"$root"/}" ;;
    *) printf '%s' "$1" ;;
    esac
}
while IFS= read -r line; do
    kind=${line%% *}
    value=${line#* }
    [ -n "$line" ] && [ -z "${seen[$line]:-}" ] || continue
    seen[$line]=1
    case $kind in
    root) root=${value%/} ;;
    include) flags+=(-I"$(relative "$value")") ;;
    sysinclude)
        value=${value%/}
        case $value in
        /usr/include | /usr/local/include | /usr/include/*-linux-gnu)
            # The host's C library would stand in for the Windows one.
            echo "note: leaving out $value"
            continue
            ;;
        */mkspecs/*)
            # qmake's Linux platform folder; a Windows build gets win32-g++.
            value=${value%/mkspecs/*}/mkspecs/win32-g++
            [ -d "$value" ] || continue
            ;;
        esac
        # The libraries' headers are not ours to warn about.
        flags+=(-isystem "$value")
        ;;
    define) flags+=(-D"$value") ;;
    source) sources+=("$(relative "$value")") ;;
    launcher) command -v "$value" >/dev/null 2>&1 && launcher=("$value") ;;
    *) fail "unreadable line in $list: $line" ;;
    esac
done <"$list"
[ -n "$root" ] && cd "$root" || fail "$list names no source tree"

# The list is the Windows build's: it names the Windows platform files and none of
# the Linux ones, or the choice of files has gone wrong.
printf '%s\n' "${sources[@]}" | grep -q '_win\.cpp$' || fail "$list names no _win.cpp file"
if printf '%s\n' "${sources[@]}" | grep -q '_linux\.cpp$'; then
    fail "$list names Linux files"
fi
for source in "${sources[@]}"; do
    [ -r "$source" ] || fail "$source is missing (build the project first)"
done

compile() {
    local jobs i failed=0 warned=0
    work=$(mktemp -d "${TMPDIR:-/tmp}/kivo-wincheck.XXXXXX") || fail "mktemp"
    trap 'rm -rf "$work"' EXIT
    jobs=${KIVO_WINCHECK_JOBS:-$(nproc)}
    for i in "${!sources[@]}"; do
        while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
            wait -n
        done
        (
            "${launcher[@]}" "$cxx" "${flags[@]}" -fsyntax-only "${sources[$i]}" >"$work/$i.log" 2>&1
            echo $? >"$work/$i.rc"
        ) &
    done
    wait
    for i in "${!sources[@]}"; do
        if [ "$(cat "$work/$i.rc" 2>/dev/null)" != 0 ]; then
            echo "FAIL ${sources[$i]}"
            failed=$((failed + 1))
        elif [ -s "$work/$i.log" ]; then
            echo "warn ${sources[$i]}"
            warned=$((warned + 1))
        else
            echo "ok   ${sources[$i]}"
        fi
        cat "$work/$i.log"
    done
    echo "${#sources[@]} sources compiled for Windows, $failed with errors, $warned with warnings"
    [ "$failed" -eq 0 ] || fail "the Windows build does not compile"
    echo "PASS: every source of the Windows build compiles"
}

logic() {
    local out=${1:?work folder} textconv=
    command -v "$wine" >/dev/null 2>&1 || {
        echo "SKIP: $wine not found"
        exit 77
    }
    for source in "${sources[@]}"; do
        case $source in */platform/textconv_win.cpp) textconv=$source ;; esac
    done
    [ -n "$textconv" ] || fail "$list names no platform/textconv_win.cpp"
    mkdir -p "$out" || fail "cannot create $out"
    rm -f "$out/textconv_win.o" "$out/app_logic.exe"

    echo "== building the Windows logic test"
    # textconv_win.cpp sees the program's shared header, and with it Qt's headers, but
    # calls nothing of Qt: its object links without Qt.
    "$cxx" "${flags[@]}" -O2 -c -o "$out/textconv_win.o" "$textconv" ||
        fail "textconv_win.cpp does not build"
    "$cxx" "${flags[@]}" -O2 -Werror -o "$out/app_logic.exe" "$here/app_logic.cpp" \
        "$out/textconv_win.o" -static-libgcc -static-libstdc++ ||
        fail "the logic test does not build"

    echo "== running it under wine"
    wine_run "$out" app_logic.exe
    rc=$?
    [ "$rc" -eq 0 ] || fail "the Windows logic test reported failures (exit $rc)"
    echo "PASS: the Windows-only logic behaves under wine"
}

case $mode in
compile) compile ;;
logic) logic "${3:-}" ;;
*) fail "unknown mode $mode" ;;
esac
