#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks that every #include "folder/header.h" between the top-level folders follows the arrows below,
# and that only the folders allowed below link Qt GUI.
#   tools/check-layering.sh ROOT
# Prints one line per include or link that crosses them and exits 1 if there is any, 0 otherwise.
set -euo pipefail

# Each folder, then the folders it includes directly. A folder may include itself and everything
# reachable along the arrows (app -> session -> counters -> device -> link, so app may include link).
# The session reaches its lines (line/, and through it the serial port; network/, the lines over TCP,
# which build on line/) and nothing reaches comport from link; sim reaches nothing: the simulator stays
# independent of the configurator's own code. The commissioning station's batch logic sits between the
# front ends and the session, its report (a PDF) over it; the gateway service is a front end over the
# session as the command-line tool is. The history of the counts (live store, log reader) sits on the
# counters, under the window. Keep the table free of cycles.
arrows='
app           commissioning report sim history
cli           commissioning report
gateway       session
report        commissioning
commissioning session
session       counters line network settingsfile
network       line
line          comport
history       counters
counters      device
device        link
link
comport
settingsfile
sim
'
# These may include anything.
free=' tests fuzz bench tools '
# Headers a folder could reach along the arrows but must not include: the command-line tool works through
# the session's results and its poller, never through the link or the operation machine underneath.
never='
cli           link/ device/OperationMachine.h
gateway       link/ device/OperationMachine.h
'
# The Qt GUI libraries a folder's CMakeLists.txt may name: only the window shows widgets; the report paints
# its PDF with Qt GUI, and the command-line tool loads it as a module for the one command that writes it,
# so the tool itself stays Qt Core. The root's CMakeLists.txt and the free folders may name anything.
gui='
app           Qt6::Gui Qt6::Widgets Qt6::Svg
report        Qt6::Gui
'

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 ROOT" >&2
  exit 2
fi
cd "$1"

declare -A direct reach forbidden guiAllowed
while read -r folder targets; do
  [ -n "$folder" ] && direct[$folder]=$targets
done <<< "$arrows"
while read -r folder headers; do
  [ -n "$folder" ] && forbidden[$folder]=$headers
done <<< "$never"
while read -r folder libraries; do
  [ -n "$folder" ] && guiAllowed[$folder]=" $libraries "
done <<< "$gui"

reachable() {  # the folder and every folder reachable from it, one a line
  echo "$1"
  local next
  for next in ${direct[$1]}; do reachable "$next"; done
}
for folder in "${!direct[@]}"; do
  reach[$folder]=" $(reachable "$folder" | sort -u | tr '\n' ' ')"
done

known() { [ -n "${reach[$1]+set}" ] || [[ $free == *" $1 "* ]]; }

# C++ sources and CMakeLists.txt files, leaving out hidden folders and CMake build trees inside ROOT.
sources() {
  find . -name '.?*' -prune -o -type d -exec test -e '{}/CMakeCache.txt' \; -prune -o -type f \
    \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' -o -name CMakeLists.txt \) -print |
    LC_ALL=C sort
}

# check_gui FILE FOLDER: the Qt GUI libraries a CMakeLists.txt names (comments left out) against the folder's
# allowance. Folders without sources (packaging, translations) need no row; they may name none.
check_gui() {
  [ "$2" = . ] || [[ $free == *" $2 "* ]] && return
  local line text library
  while IFS=: read -r line text; do
    text=${text%%#*}
    for library in $(grep -oE 'Qt6::(Gui|Widgets|Svg)\b' <<< "$text" || true); do
      if [[ ${guiAllowed[$2]:-} != *" $library "* ]]; then
        echo "$1:$line: folder $2 may not use $library"
        status=1
      fi
    done
  done < <(grep -nE 'Qt6::(Gui|Widgets|Svg)\b' "$1" || true)
}

status=0
while read -r file; do
  file=${file#./}
  from=${file%%/*}
  [[ $file == */* ]] || from=.
  if [[ ${file##*/} == CMakeLists.txt ]]; then
    check_gui "$file" "$from"
    continue
  fi
  if ! known "$from"; then
    echo "$file: folder $from is not in the layering table of tools/check-layering.sh"
    status=1
    continue
  fi
  [[ $free == *" $from "* ]] && continue

  while IFS=: read -r line text; do
    include=${text#*\"}
    include=${include%%\"*}
    path=$include
    while [[ $path == ./* || $path == ../* ]]; do path=${path#*/}; done
    to=${path%%/*}
    # No folder prefix, or a subfolder of the including folder: the folder itself.
    [[ $path == */* ]] && known "$to" || to=$from
    if [[ ${reach[$from]} != *" $to "* ]]; then
      echo "$file:$line: folder $from may not include folder $to (\"$include\")"
      status=1
      continue
    fi
    for header in ${forbidden[$from]:-}; do
      if [[ $path == "$header"* ]]; then
        echo "$file:$line: folder $from may not include \"$include\": it works through the session"
        status=1
      fi
    done
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(sources)
exit $status
