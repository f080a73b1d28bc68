# Which Wine runs the program, for the runner and the tests: KORVALIN_WINE_BITS=32 is the 32-bit
# program under 32-bit Wine in a win32 prefix, 64 (default) the 64-bit one under wine64.
if [[ "${KORVALIN_WINE_BITS:-64}" == 32 ]]; then
    WINE_LOADER=/usr/lib/wine/wine
    WINE_SERVER=/usr/lib/wine/wineserver32
    export WINEARCH=win32
else
    WINE_LOADER=/usr/lib/wine/wine64
    WINE_SERVER=/usr/lib/wine/wineserver64
    export WINEARCH=win64
fi
readonly WINE_LOADER WINE_SERVER

# make_wine_prefix FOLDER LOG: a new prefix in FOLDER, with no display (no dialogs at boot).
make_wine_prefix() {
    (unset DISPLAY && WINEPREFIX="$1" timeout 300 "$WINE_LOADER" wineboot --init) >"$2" 2>&1 &&
        WINEPREFIX="$1" "$WINE_SERVER" -w
}

# remove_wine_server_folder PREFIX: Debian's wineserver keeps its socket in a folder of its own
# in the temporary folder, named in the prefix's file "wineserver", and leaves it behind; this
# removes it once the prefix's wineserver has ended.
remove_wine_server_folder() {
    local name=""
    [[ -f "$1/wineserver" ]] && name=$(<"$1/wineserver")
    [[ "$name" =~ ^wine-[A-Za-z0-9]+$ ]] && rm -rf -- "${TMPDIR:-/tmp}/$name"
    return 0
}
