#!/usr/bin/env bash
# What can be proven of the 32-bit korvalin.exe without running it: a 32-bit x86 Windows GUI
# program whose DevIL imports are exactly the plain names of cmake/DevIL.def (the names a
# Windows DevIL.dll exports; a decorated ilInit@0 would not be found there), and no DLL besides
# DevIL.dll that Windows does not bring.
#
#   tests/wine/check_program_file.sh KORVALIN.EXE
set -euo pipefail
exe=${1:?usage: check_program_file.sh KORVALIN.EXE}
root=$(cd "$(dirname "$0")/../.." && pwd)
fail() {
    echo "program file: FAIL: $*" >&2
    exit 1
}
header=$(i686-w64-mingw32-objdump -f -p "$exe")
grep -q "file format pei-i386" <<<"$header" || fail "not a 32-bit x86 Windows program"
grep -q "(Windows GUI)" <<<"$header" || fail "not a GUI program"

imported=$(sed -n '/DLL Name: DevIL.dll/,/^$/p' <<<"$header" | awk 'NF == 3 && $2 ~ /^[0-9]+$/ { print $3 }' | sort)
listed=$(sed -n 's/^ *\(il[A-Za-z]*\)@[0-9]*$/\1/p' "$root/cmake/DevIL.def" | sort)
[[ -n "$imported" && "$imported" == "$listed" ]] ||
    fail "DevIL imports '$(echo $imported)' are not the .def's '$(echo $listed)'"

system_dlls="ADVAPI32 COMCTL32 COMDLG32 GDI32 GLU32 KERNEL32 MSVCRT OLE32 OPENGL32 SHELL32 USER32 DEVIL"
for dll in $(sed -n 's/^\tDLL Name: \(.*\)\.[dD][lL][lL]$/\1/p' <<<"$header" | tr a-z A-Z); do
    [[ " $system_dlls " == *" $dll "* ]] || fail "korvalin.exe needs $dll.dll, which Windows does not bring"
done
echo "program file: 32-bit GUI program, DevIL imports as listed: $(echo $imported)"
