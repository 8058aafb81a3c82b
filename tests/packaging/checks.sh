# SPDX-License-Identifier: MIT
# What the check scripts of this folder share, sourced by each: a scratch folder removed at exit, fail
# to note a failure and go on, finish to print the count and end with its status. Also: need TOOL...
# ends the script as skipped (77, CTest's SKIP_RETURN_CODE here) when a tool is not installed.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

finish() {
  if [ "$failures" -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
  exit 0
}

need() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" > /dev/null; then
      echo "skipped: $tool is not installed"
      exit 77
    fi
  done
}
