#!/usr/bin/env bash
# Fails, naming the lines, when a C or C++ file of ours is not as clang-format writes it with the
# root's .clang-format. Formatting a file: clang-format -i FILE.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(find app bench fuzz mesh platform render resources settings tests tools \
  -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) | sort)
clang-format --dry-run --Werror "${files[@]}"
echo "format: ${#files[@]} files as clang-format $(clang-format --version | grep -o '[0-9][0-9.]*' |
  head -1) writes them"
