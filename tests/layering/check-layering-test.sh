#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs tools/check-layering.sh on tiny made-up trees: the allowed includes and CMake lines below must pass
# together, and each forbidden one, added to them alone, must fail with exactly its own message.
#   tests/layering/check-layering-test.sh path/to/check-layering.sh
set -uo pipefail
checker=$1

# file | its line (an include, or a CMakeLists.txt line) | expected message (empty: allowed)
cases='
app/A.cpp       | #include "device/SettingsBlock.h"  |
app/B.cpp       | #include "sim/DemoDevice.h"        |
session/S.cpp   | #include "link/FrameCodec.h"       |
tests/T.cpp     | #include "app/TForm_Main.h"        |
tools/U.cpp     | #include "sim/DeviceModel.h"       |
link/L.cpp      | #include "moc_L.cpp"               |
sim/M.cpp       | #include <link/FrameCodec.h>       |
app/widgets/W.h | #include "widgets/W.h"             |
link/X.cpp      | #include "comport/ComPort.h"       | link/X.cpp:2: folder link may not include folder comport ("comport/ComPort.h")
sim/Y.cpp       | #include "link/FrameCodec.h"       | sim/Y.cpp:2: folder sim may not include folder link ("link/FrameCodec.h")
device/Z.cpp    | #include "counters/A.h"            | device/Z.cpp:2: folder device may not include folder counters ("counters/A.h")
sim/V.h         |   #  include "../link/Crc16.h"     | sim/V.h:2: folder sim may not include folder link ("../link/Crc16.h")
session/R.cpp   | #include "app/TForm_Main.h"        | session/R.cpp:2: folder session may not include folder app ("app/TForm_Main.h")
comport/P.cpp   | #include "tests/common/Pty.h"      | comport/P.cpp:2: folder comport may not include folder tests ("tests/common/Pty.h")
newlib/N.cpp    | #include "link/Crc16.h"            | newlib/N.cpp: folder newlib is not in the layering table of tools/check-layering.sh
line/L.cpp      | #include "comport/ComPort.h"       |
cli/K.cpp       | #include "comport/PortProbe.h"     |
line/M.cpp      | #include "session/DeviceSession.h" | line/M.cpp:2: folder line may not include folder session ("session/DeviceSession.h")
link/N.cpp      | #include "line/Line.h"             | link/N.cpp:2: folder link may not include folder line ("line/Line.h")
network/T.cpp   | #include "comport/ComPort.h"       |
network/U.cpp   | #include "session/DeviceSession.h" | network/U.cpp:2: folder network may not include folder session ("session/DeviceSession.h")
line/O.cpp      | #include "network/TelnetCodec.h"   | line/O.cpp:2: folder line may not include folder network ("network/TelnetCodec.h")
cli/E.cpp       | #include "link/TransactionEngine.h"| cli/E.cpp:2: folder cli may not include "link/TransactionEngine.h": it works through the session
cli/F.cpp       | #include "device/OperationMachine.h" | cli/F.cpp:2: folder cli may not include "device/OperationMachine.h": it works through the session
report/R.cpp    | #include "commissioning/DeviceOutcome.h" |
cli/G.cpp       | #include "report/ReportModule.h"   |
gateway/G.cpp   | #include "settingsfile/SafeFile.h" |
commissioning/C.cpp | #include "report/ReportHtml.h"  | commissioning/C.cpp:2: folder commissioning may not include folder report ("report/ReportHtml.h")
CMakeLists.txt        | find_package(Qt6 COMPONENTS Gui Widgets) target_link_libraries(x Qt6::Widgets) |
app/CMakeLists.txt    | target_link_libraries(zeph_app PUBLIC Qt6::Widgets Qt6::Gui) |
report/CMakeLists.txt | target_link_libraries(zeph_report PUBLIC Qt6::Gui) |
tests/CMakeLists.txt  | target_link_libraries(t Qt6::Widgets) |
device/CMakeLists.txt | target_link_libraries(zeph_device Qt6::Core) # not Qt6::Gui |
cli/x/CMakeLists.txt  | target_link_libraries(zeph_cli Qt6::Gui) | cli/x/CMakeLists.txt:2: folder cli may not use Qt6::Gui
session/CMakeLists.txt | target_link_libraries(zeph_session Qt6::Core Qt6::Gui) | session/CMakeLists.txt:2: folder session may not use Qt6::Gui
'

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

trim() { local s=${1#"${1%%[![:space:]]*}"}; echo "${s%"${s##*[![:space:]]}"}"; }

add() {  # add TREE FILE LINE: a file whose second line is LINE, after a comment in the file's language
  local comment=//
  [[ $2 == *CMakeLists.txt ]] && comment='#'
  mkdir -p "$1/$(dirname "$2")"
  printf '%s made up for the layering test\n%s\n' "$comment" "$3" > "$1/$2"
}

# run TREE EXPECTED_STATUS EXPECTED_OUTPUT
run() {
  local output status
  output=$(bash "$checker" "$1")
  status=$?
  if [ "$status" != "$2" ] || [ "$output" != "$3" ]; then
    printf 'FAIL %s: expected status %s and output\n%s\ngot status %s and output\n%s\n\n' \
      "$1" "$2" "$3" "$status" "$output"
    failures=$((failures + 1))
  fi
}

# The allowed includes, plus a build tree and a hidden folder inside the tree, which are not checked.
clean=$scratch/clean
while IFS='|' read -r file include message; do
  file=$(trim "$file")
  [ -n "$file" ] && [ -z "$(trim "$message")" ] && add "$clean" "$file" "$include"
done <<< "$cases"
add "$clean" build/app/moc_A.cpp '#include "comport/ComPort.h"'
touch "$clean/build/CMakeCache.txt"
add "$clean" .cache/H.cpp '#include "comport/ComPort.h"'
run "$clean" 0 ""

# Each forbidden include alone, then all of them together: one does not hide another.
all=$scratch/all
cp -r "$clean" "$all"
expected=()
while IFS='|' read -r file include message; do
  file=$(trim "$file")
  message=$(trim "$message")
  [ -n "$message" ] || continue
  tree=$scratch/${file//\//_}
  cp -r "$clean" "$tree"
  add "$tree" "$file" "$include"
  run "$tree" 1 "$message"
  add "$all" "$file" "$include"
  expected+=("$message")
done <<< "$cases"
run "$all" 1 "$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)"

[ "$failures" -eq 0 ] && echo "all layering cases pass"
exit $((failures > 0))
