#!/usr/bin/env bash
# What can be proven of korvalin.exe from the file alone: a 32-bit x86 Windows GUI program (with
# --64, the 64-bit x86 one the Wine suite runs) that imports only DLLs Windows brings (not
# DevIL.dll, which it loads when the first texture needs it, so that it starts without it, nor a
# run-time DLL of the compiler's such as libwinpthread-1.dll or libstdc++-6.dll), carrying the
# UTF-8 code page in its manifest and the plain names of the DevIL functions it looks up.
#
#   tests/wine/check_program_file.sh [--64] KORVALIN.EXE
set -euo pipefail
objdump=i686-w64-mingw32-objdump format=pei-i386 bits=32
if [ "${1:-}" = "--64" ]; then
    shift
    objdump=x86_64-w64-mingw32-objdump format=pei-x86-64 bits=64
fi
exe=${1:?usage: check_program_file.sh [--64] KORVALIN.EXE}
fail() {
    echo "program file: FAIL: $*" >&2
    exit 1
}
header=$("$objdump" -f -p "$exe")
grep -q "file format $format\$" <<<"$header" || fail "not a $bits-bit x86 Windows program"
grep -q "(Windows GUI)" <<<"$header" || fail "not a GUI program"

system_dlls="ADVAPI32 COMCTL32 COMDLG32 GDI32 GLU32 KERNEL32 MSVCRT OLE32 OPENGL32 PSAPI SHELL32 USER32"
imports=$(sed -n 's/^\tDLL Name: \(.*\)\.[dD][lL][lL]$/\1/p' <<<"$header" | tr a-z A-Z)
# Every Windows program imports KERNEL32: without it the import table was not read at all.
grep -qx KERNEL32 <<<"$imports" || fail "no import of KERNEL32.dll found in objdump's listing"
for dll in $imports; do
    [[ " $system_dlls " == *" $dll "* ]] || fail "korvalin.exe imports $dll.dll, which Windows does not bring"
done

"$(dirname "$0")/program_manifest.py" "$exe" >/dev/null || fail "its manifest is not as above"

names=$(strings -n 6 "$exe")
for function in ilGetInteger ilInit ilGenImages ilBindImage ilLoadImage ilConvertImage ilGetData \
    ilDeleteImages ilGetString ilTexImage ilRegisterOrigin ilEnable ilDisable ilSave ilSaveL; do
    grep -qx "$function" <<<"$names" || fail "the DevIL function name $function is not in korvalin.exe"
done
echo "program file: $bits-bit GUI program importing only system DLLs, one manifest asking for the" \
    "UTF-8 code page; DevIL.dll looked up by name"
