#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs every fuzz target in turn for SECONDS each, on a copy of its seed corpus (the committed corpus
# never grows), and prints each target's executions per second and coverage.
#   fuzz/run.sh SECONDS [BUILD_DIR]     BUILD_DIR defaults to build-fuzz, configured with -DZEPH_FUZZ=ON
# Exits 1 when a target finds a crash or breaks an invariant (the input is kept under
# BUILD_DIR/fuzz/findings/ and the command to replay it is printed), 2 on a usage error.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
seconds=${1:-}
build_dir=${2:-$here/../build-fuzz}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]] || [ $# -gt 2 ]; then
  echo "usage: $0 SECONDS [BUILD_DIR]" >&2
  exit 2
fi
targets=()
for target in "$build_dir"/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] && targets+=("$target")
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets in $build_dir/fuzz: configure with CXX=clang++ and -DZEPH_FUZZ=ON, then build" >&2
  exit 2
fi

findings=$build_dir/fuzz/findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%-22s %10s %10s %8s %8s %8s  %s\n' target runs exec/s cov ft corpus result
status=0
for target in "${targets[@]}"; do
  name=$(basename "$target")
  [ -d "$here/corpus/$name" ] || { echo "$name: no seed corpus in fuzz/corpus/$name" >&2; status=1; continue; }
  corpus=$work/$name
  cp -r "$here/corpus/$name" "$corpus"
  log=$work/$name.log
  # -timeout: an input that takes this long is a hang, reported like a crash.
  "$target" -max_total_time="$seconds" -timeout=10 -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$findings/$name-" "$corpus" >"$log" 2>&1
  code=$?
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1)
  field() { sed -nE "s/.* $1: ([0-9]+).*/\\1/p" <<<"$done_line"; }
  runs=$(sed -nE 's/^stat::number_of_executed_units:[[:space:]]+([0-9]+)/\1/p' "$log")
  rate=$(sed -nE 's/^stat::average_exec_per_sec:[[:space:]]+([0-9]+)/\1/p' "$log")
  if [ $code -eq 0 ] && [ -n "$done_line" ]; then
    result=ok
  else
    result="FAILED (exit $code)"
    status=1
  fi
  printf '%-22s %10s %10s %8s %8s %8s  %s\n' "$name" "${runs:--}" "${rate:--}" "$(field cov)" "$(field ft)" \
    "$(ls "$corpus" | wc -l)" "$result"
  if [ "$result" != ok ]; then
    grep -E 'invariant broken|ERROR: |SUMMARY: |Test unit written' "$log" | sed 's/^/    /'
    for input in $(sed -nE 's/.*Test unit written to (.*)$/\1/p' "$log"); do
      echo "    replay: $target $input"
    done
  fi
done
exit $status
