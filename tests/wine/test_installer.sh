#!/usr/bin/env bash
# The installer (korvalin-<version>-setup.exe, in KORVALIN_SETUP) in a fresh Wine prefix of the
# run's kind (the users' 32-bit one, or the test-only 64-bit one where 32-bit code cannot run):
# a silent install (/S) for the user, the .msh file type, its open command and the installed
# programs' entry in the registry, the Start-menu entry; a .msh file opened with the file type's
# open command draws the textured cube; a silent uninstall leaves none of it.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
if [[ ! -f "${KORVALIN_SETUP:-}" ]]; then
    echo "the installer is tested in the run whose KORVALIN_SETUP names it"
    exit 77
fi
wine_init "$@"
start_xvfb
export WINEPREFIX="$E2E_TMP/prefix"
make_wine_prefix "$WINEPREFIX" "$E2E_TMP/wineboot.log" || fail "no fresh Wine prefix: $(cat "$E2E_TMP/wineboot.log")"
user_folder="$WINEPREFIX/drive_c/users/$(id -un)"
program="$user_folder/AppData/Local/Programs/Korvalin"
shortcut="$user_folder/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Korvalin.lnk"
start_folder="$user_folder/AppData/Roaming/Korvalin"

# registry_value KEY [VALUE]: the value's data (the default one without VALUE), or nothing.
registry_value() {
    local name=(/ve)
    [[ $# -eq 2 ]] && name=(/v "$2")
    "$WINE_LOADER" reg query "$1" "${name[@]}" 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *[^ ].* *REG_[A-Z_]* *//p' | head -n 1 || true
}

"$WINE_LOADER" "$KORVALIN_SETUP" /S || fail "the silent install failed"
"$WINE_SERVER" -w
for file in korvalin.exe korvalin.ico README-Windows.txt uninstall.exe samples/cube.msh samples/crate.png; do
    [[ -f "$program/$file" ]] || fail "not installed: $file"
done
[[ ! -e "$program/DevIL.dll" ]] || fail "the installer ships DevIL.dll"
[[ -f "$shortcut" ]] || fail "no Start-menu entry"
[[ -d "$start_folder" ]] || fail "no folder for the Start-menu entry to start in"
exe_windows='C:\users\'"$(id -un)"'\AppData\Local\Programs\Korvalin\korvalin.exe'
for check in \
    'HKCU\Software\Classes\.msh|Korvalin.MeshFile' \
    'HKCU\Software\Classes\Korvalin.MeshFile|Ismarel Mesh File' \
    'HKCU\Software\Classes\Korvalin.MeshFile\DefaultIcon|'"${exe_windows%.exe}"'.ico,0' \
    'HKCU\Software\Classes\Korvalin.MeshFile\shell\open\command|"'"$exe_windows"'" "%1"' \
    'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvalin|Korvalin|DisplayName'; do
    IFS='|' read -r key expected value <<<"$check"
    got="$(registry_value "$key" ${value:+"$value"})"
    [[ "$got" == "$expected" ]] || fail "registry $key ${value:-(default)}: '$got', not '$expected'"
done
log "installed: files, Start-menu entry and registry keys in place"

# The user's part: DevIL.dll beside the installed program.
cp "$APP_FOLDER/DevIL.dll" "$program/DevIL.dll"
folder="$(new_folder opened)"
printf '0.1\r\n2\r\n%s' "$(windows_path "$program/samples")" >"$folder/Korvalin.ini"
cp "$program/samples/cube.msh" "$folder/model.msh"
# Windows merges the user's classes into HKEY_CLASSES_ROOT, which Explorer reads; Wine (8 at
# least) does not, so "start" on the file may find no type here. The open command registered for
# the type is run as Explorer runs it: %1 replaced by the file's name.
command="$(registry_value 'HKCU\Software\Classes\Korvalin.MeshFile\shell\open\command')"
command="${command//%1/$(windows_path "$folder/model.msh")}"
[[ "$command" =~ ^\"([^\"]+)\"\ \"([^\"]+)\"$ ]] || fail "open command '$command' is not \"EXE\" \"FILE\""
(cd -- "$folder" && exec "$WINE_LOADER" "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}") >"$E2E_TMP/app.log" 2>&1 &
APP_PID=$!
window="$(wait_for_window Korvalin 60)"
MENU_HEIGHT="$(menu_bar_height)"
wait_for_wine_mesh "$E2E_TMP/opened.png"
read -r lit brown red _ <<<"$(image_stats "$E2E_TMP/opened.png")"
log "opened through the file type: $lit lit, $brown brown, $red red pixels"
((red > 0 && brown > 1000)) || fail "the textured cube is not drawn"
quit_wine_app
expect_exit_status 0
"$WINE_SERVER" -w

# The uninstaller runs from a copy of itself in the temporary folder: wait for every process.
"$WINE_LOADER" "$program/uninstall.exe" /S || fail "the silent uninstall failed"
"$WINE_SERVER" -w
[[ ! -e "$program" ]] || fail "left behind: $(find "$program" | head -n 5 | tr '\n' ' ')"
[[ ! -e "$shortcut" ]] || fail "the Start-menu entry is left"
[[ ! -e "$start_folder" ]] || fail "the start folder is left"
for key in 'HKCU\Software\Classes\.msh' 'HKCU\Software\Classes\Korvalin.MeshFile' \
    'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvalin'; do
    ! "$WINE_LOADER" reg query "$key" >/dev/null 2>&1 || fail "registry key left: $key"
done
log "uninstalled: nothing left"
log "PASS"
