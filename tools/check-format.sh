#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks that every C and C++ source file in the repository is formatted as the root .clang-format says.
#   tools/check-format.sh          prints each file that differs and exits 1 when any does
#   tools/check-format.sh --fix    reformats those files in place instead
# Only files git knows are checked, so build folders and scratch files never count.
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format=${CLANG_FORMAT:-clang-format}
if ! command -v "$clang_format" >/dev/null; then
  echo "check-format: $clang_format not found (apt-get install clang-format)" >&2
  exit 2
fi
fix=false
case "${1:-}" in
  "") ;;
  --fix) fix=true ;;
  *) echo "usage: $0 [--fix]" >&2; exit 2 ;;
esac

mapfile -t files < <(git ls-files -- '*.c' '*.cpp' '*.h')
if [ ${#files[@]} -eq 0 ]; then
  echo "check-format: git lists no C++ sources here" >&2
  exit 2
fi
differing=()
for file in "${files[@]}"; do
  "$clang_format" --dry-run --Werror "$file" >/dev/null 2>&1 || differing+=("$file")
done
if [ ${#differing[@]} -eq 0 ]; then
  echo "check-format: all ${#files[@]} C++ files match .clang-format"
  exit 0
fi
if $fix; then
  "$clang_format" -i "${differing[@]}"
  printf 'reformatted %s\n' "${differing[@]}"
  exit 0
fi
printf '%s\n' "${differing[@]}"
echo "check-format: ${#differing[@]} of ${#files[@]} C++ files differ from .clang-format;" \
  "tools/check-format.sh --fix reformats them" >&2
exit 1
