#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs tools/spdx.sh on a made-up tree: --check names exactly the source files without the line, --apply
# adds it at the top (after a "#!" line) and changes nothing else, and then --check passes.
#   tests/packaging/spdx-test.sh path/to/spdx.sh
set -uo pipefail
script=$1
source "$(dirname "$0")/checks.sh"
tree=$scratch/tree

put() {  # put FILE CONTENT (printf format): writes a file of the made-up tree
  mkdir -p "$tree/$(dirname "$1")"
  printf "$2" > "$tree/$1"
}

# Source files without the line, each kind of leader and place.
put app/Window.cpp '// The window.\n#include "app/Window.h"\n'
put app/Window.h '// The window.\n#pragma once\n'
put generated/Version.h.in '#pragma once\n'
put app/CMakeLists.txt 'add_library(app)\n'
put cmake/Helpers.cmake 'function(f)\nendfunction()\n'
put tools/run.sh '#!/bin/sh\necho run\n'
put .ci/run '#!/usr/bin/env bash\nset -e\n'
put tools/bare '#!/bin/bash'
put empty.h ''
missing=$(printf '%s\n' .ci/run app/CMakeLists.txt app/Window.cpp app/Window.h cmake/Helpers.cmake empty.h \
  generated/Version.h.in tools/bare tools/run.sh)
# Files that have the line already, or are no source files, or lie where nothing is looked at.
put link/Crc.cpp '// SPDX-License-Identifier: MIT\n// CRC.\n'
put tools/ok.sh '#!/bin/sh\n# SPDX-License-Identifier: MIT\necho ok\n'
put README.md '# Read me\n'
put tools/fetch.py '#!/usr/bin/env python3\n'
put tools/notes '#!/usr/bin/env python3\nprint()\n'
put app/icon.svg '<svg/>\n'
put build/CMakeCache.txt ''
put build/gen/moc.cpp '// generated\n'
put .git/hooks/pre-commit.sh '#!/bin/sh\n'
chmod +x "$tree/tools/run.sh" "$tree/.ci/run"
cp -a "$tree" "$tree.before"

listed=$(bash "$script" --check "$tree" | sed 's/: no .*//')
[ "$(bash "$script" --check "$tree" >/dev/null; echo $?)" = 1 ] || fail "--check passed a tree with files missing the line"
[ "$listed" = "$missing" ] || fail "--check listed
$listed
instead of
$missing"
[ "$(bash "$script" --check "$tree" | grep -c '^app/Window.cpp: no "// SPDX-License-Identifier: MIT" at the top$')" = 1 ] ||
  fail "--check does not name the line a C++ file lacks"

changed=$(bash "$script" --apply "$tree")
[ "$changed" = "$missing" ] || fail "--apply changed
$changed
instead of
$missing"
bash "$script" --check "$tree" > /dev/null || fail "--check fails after --apply"
[ -z "$(bash "$script" --apply "$tree")" ] || fail "a second --apply changed files"

expect() {  # expect FILE CONTENT (printf format)
  [ "$(cat "$tree/$1"; echo x)" = "$(printf "$2"; echo x)" ] || fail "$1 reads
$(cat "$tree/$1")"
}
expect app/Window.cpp '// SPDX-License-Identifier: MIT\n// The window.\n#include "app/Window.h"\n'
expect app/CMakeLists.txt '# SPDX-License-Identifier: MIT\nadd_library(app)\n'
expect .ci/run '#!/usr/bin/env bash\n# SPDX-License-Identifier: MIT\nset -e\n'
expect tools/bare '#!/bin/bash\n# SPDX-License-Identifier: MIT\n'
expect empty.h '// SPDX-License-Identifier: MIT\n'
[ -x "$tree/.ci/run" ] && [ -x "$tree/tools/run.sh" ] || fail "--apply lost the executable bit"
for untouched in link/Crc.cpp tools/ok.sh README.md tools/fetch.py tools/notes app/icon.svg build/gen/moc.cpp \
  .git/hooks/pre-commit.sh; do
  cmp -s "$tree/$untouched" "$tree.before/$untouched" || fail "--apply changed $untouched"
done

bash "$script" --bogus "$tree" 2> /dev/null
[ $? = 2 ] || fail "an unknown mode is not refused with status 2"

finish
