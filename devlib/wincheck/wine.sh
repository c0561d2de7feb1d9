# Sourced by the checks that run a console program under wine.
#   wine_run <folder> <program.exe>
# runs it in <folder> inside a fresh prefix of its own, removed afterwards (also
# when the check is stopped), and returns the program's exit code.
wine=${WINE:-/usr/lib/wine/wine64}
wineserver=${WINESERVER:-/usr/lib/wine/wineserver}
wine_prefix=

wine_cleanup() {
    [ -n "$wine_prefix" ] || return 0
    # Let this prefix's wineserver go before its folder does.
    WINEPREFIX=$wine_prefix "$wineserver" -k >/dev/null 2>&1
    WINEPREFIX=$wine_prefix "$wineserver" -w >/dev/null 2>&1
    rm -rf "$wine_prefix"
    wine_prefix=
}

wine_run() {
    local dir=$1 exe=$2 rc
    wine_prefix=$(mktemp -d "${TMPDIR:-/tmp}/kivo-wine.XXXXXX") || return 125
    trap wine_cleanup EXIT
    # No display, no Mono/Gecko installers: the programs are console programs.
    (cd "$dir" && DISPLAY= WAYLAND_DISPLAY= WINEPREFIX=$wine_prefix WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" "./$exe")
    rc=$?
    wine_cleanup
    return "$rc"
}
