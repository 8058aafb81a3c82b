#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks or adds the SPDX licence line at the top of every source file.
#   tools/spdx.sh --check [ROOT]   lists each source file without it; exits 1 if there is any
#   tools/spdx.sh --apply [ROOT]   adds it where it is missing and lists the files it changed
# ROOT defaults to the folder above this script. Source files: C and C++ (*.c *.cpp *.cc *.h *.hpp *.h.in),
# CMake (CMakeLists.txt *.cmake) and shell (*.sh, and files without an extension whose first line runs sh or
# bash). The line is "// SPDX-License-Identifier: MIT" in C and C++ and "# SPDX-License-Identifier: MIT" in
# the others; it is the first line, or the second after a "#!" line. Data, documents and pictures carry no
# such line: the package's copyright file covers them.
set -euo pipefail

usage() {
  echo "usage: $0 --check|--apply [ROOT]" >&2
  exit 2
}
[ $# -ge 1 ] && [ $# -le 2 ] || usage
mode=$1
case "$mode" in --check | --apply) ;; *) usage ;; esac
root=${2:-$(dirname "$0")/..}
[ -d "$root" ] || usage
cd "$root"

identifier='SPDX-License-Identifier: MIT'

# The comment leader of a source file, nothing for any other file.
leader() {
  case "${1##*/}" in
    *.c | *.cpp | *.cc | *.h | *.hpp | *.h.in) echo '//' ;;
    CMakeLists.txt | *.cmake | *.sh) echo '#' ;;
    *.*) ;;
    *) head -n 1 "$1" | grep -qE '^#!.*[/ ](ba)?sh( |$)' && echo '#' ;;
  esac
  return 0
}

# Files below ROOT, leaving out .git and CMake build trees.
files() {
  find . -name .git -prune -o -type d -exec test -e '{}/CMakeCache.txt' \; -prune -o -type f -print |
    LC_ALL=C sort
}

status=0
while read -r file; do
  file=${file#./}
  comment=$(leader "$file")
  [ -n "$comment" ] || continue
  line="$comment $identifier"
  first=$(head -n 1 "$file")
  if [[ $first == '#!'* ]]; then
    [ "$(sed -n 2p "$file")" = "$line" ] && continue
  else
    [ "$first" = "$line" ] && continue
  fi
  if [ "$mode" = --check ]; then
    echo "$file: no \"$line\" at the top"
    status=1
    continue
  fi
  # Written in place, so the file keeps its mode (a script stays executable).
  content=$(cat "$file"; echo x)
  content=${content%x}
  if [[ $first == '#!'* ]]; then
    rest=${content#"$first"}
    { printf '%s\n%s\n' "$first" "$line"; printf '%s' "${rest#$'\n'}"; } > "$file"
  else
    { printf '%s\n' "$line"; printf '%s' "$content"; } > "$file"
  fi
  echo "$file"
done < <(files)
exit $status
