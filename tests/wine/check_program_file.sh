#!/usr/bin/env bash
# What can be proven of the 32-bit korvalin.exe from the file alone: a 32-bit x86 Windows GUI
# program that imports only DLLs Windows brings (not DevIL.dll, which it loads when the first
# texture needs it, so that it starts without it), carrying the UTF-8 code page in its manifest
# and the plain names of the DevIL functions it looks up.
#
#   tests/wine/check_program_file.sh KORVALIN.EXE
set -euo pipefail
exe=${1:?usage: check_program_file.sh KORVALIN.EXE}
fail() {
    echo "program file: FAIL: $*" >&2
    exit 1
}
header=$(i686-w64-mingw32-objdump -f -p "$exe")
grep -q "file format pei-i386" <<<"$header" || fail "not a 32-bit x86 Windows program"
grep -q "(Windows GUI)" <<<"$header" || fail "not a GUI program"

system_dlls="ADVAPI32 COMCTL32 COMDLG32 GDI32 GLU32 KERNEL32 MSVCRT OLE32 OPENGL32 SHELL32 USER32"
for dll in $(sed -n 's/^\tDLL Name: \(.*\)\.[dD][lL][lL]$/\1/p' <<<"$header" | tr a-z A-Z); do
    [[ " $system_dlls " == *" $dll "* ]] || fail "korvalin.exe imports $dll.dll, which Windows does not bring"
done

"$(dirname "$0")/program_manifest.py" "$exe" >/dev/null || fail "its manifest is not as above"

names=$(strings -n 6 "$exe")
for function in ilGetInteger ilInit ilGenImages ilBindImage ilLoadImage ilConvertImage ilGetData \
    ilDeleteImages ilGetString; do
    grep -qx "$function" <<<"$names" || fail "the DevIL function name $function is not in korvalin.exe"
done
echo "program file: 32-bit GUI program importing only system DLLs, one manifest asking for the" \
    "UTF-8 code page; DevIL.dll looked up by name"
