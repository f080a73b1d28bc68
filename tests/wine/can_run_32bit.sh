#!/usr/bin/env bash
# Exit 0 when this machine executes 32-bit x86 code: a tiny static i386 program (assembled with
# binutils, no 32-bit libraries needed) is run and must print its word and exit with status 7.
# Some virtual machines and kernels (no IA-32 emulation) refuse such programs.
set -euo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/korvalin-i386.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
cat >"$work/probe.s" <<'PROBE'
.globl _start
_start:
    movl $4, %eax          # write(1, word, 5)
    movl $1, %ebx
    movl $word, %ecx
    movl $5, %edx
    int $0x80
    movl $1, %eax          # exit(7)
    movl $7, %ebx
    int $0x80
.data
word: .ascii "i386\n"
PROBE
as --32 -o "$work/probe.o" "$work/probe.s" && ld -m elf_i386 -o "$work/probe" "$work/probe.o" || exit 1
status=0
output=$("$work/probe" 2>/dev/null) || status=$?
[ "$status" -eq 7 ] && [ "$output" = "i386" ]
