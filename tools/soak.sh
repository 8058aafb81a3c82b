#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A soak run: continuous refresh for MINUTES against the simulator spoiling answers at random, headless.
#   tools/soak.sh MINUTES [BUILD_DIR]       BUILD_DIR defaults to build
# The simulator gets every fault kind that can strike at random at 1 % each (SOAK_FAULTS replaces the
# list, SOAK_SEED fixes the draws); zeph7208-soak prints a line a minute and a summary: transactions,
# retries, failures, refusals, resident memory and open descriptors of both processes. Exits 0 when no
# read failed, every status refusal is one the simulator was told to give, and neither process grew in
# descriptors or (beyond a slack) in memory; 1 otherwise; 2 on bad usage.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
minutes=${1:-}
build_dir=${2:-$root/build}
if ! [[ $minutes =~ ^[1-9][0-9]*$ ]] || [ $# -gt 2 ]; then
  echo "usage: $0 MINUTES [BUILD_DIR]" >&2
  exit 2
fi
sim=$build_dir/sim/zeph7208-sim
soak=$build_dir/session/zeph7208-soak
for program in "$sim" "$soak"; do
  [ -x "$program" ] || { echo "no $program: build the project in $build_dir first" >&2; exit 2; }
done

faults=(${SOAK_FAULTS:-silence:1% bad-crc:1% wrong-address:1% wrong-length:1% drop:1% extra:1% noise:1% late:300:1% status:129:1%})
seed=${SOAK_SEED:-$(( (RANDOM << 15) | RANDOM ))}
work=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fault_args=()
for fault in "${faults[@]}"; do fault_args+=(--fault "$fault"); done
echo "soak: $minutes min, faults ${faults[*]}, seed $seed"
"$sim" "${fault_args[@]}" --seed "$seed" >"$work/port" 2>"$work/sim.err" &
sim_pid=$!
for _ in $(seq 100); do
  [ -s "$work/port" ] && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.1
done
port=$(head -1 "$work/port")
if [ -z "$port" ]; then
  echo "soak: the simulator did not start:" >&2
  cat "$work/sim.err" >&2
  exit 1
fi

"$soak" "$port" $((minutes * 60)) 60 "$sim_pid" | tee "$work/soak.out"
soak_status=${PIPESTATUS[0]}
kill -TERM "$sim_pid"
wait "$sim_pid"
sim_pid=
spoiled=$(grep 'answers spoiled' "$work/sim.err")
echo "soak: the simulator: ${spoiled#zeph7208-sim: }"

status=0
[ "$soak_status" -eq 0 ] || { echo "soak: FAILED: a read failed, counters went backwards or the port was lost"; status=1; }
# A status answer is a refusal only when it came through unspoiled by another fault: never more refusals
# than status faults.
refused=$(sed -nE 's/.*refusals by status ([0-9]+).*/\1/p' "$work/soak.out")
injected=$(sed -nE 's/.*[ :]status ([0-9]+).*/\1/p' <<<"$spoiled")
if [ "${refused:-0}" -gt "${injected:-0}" ]; then
  echo "soak: FAILED: $refused refusals, but the simulator answered with a status alone only ${injected:-0} times"
  status=1
fi
# Open descriptors must end where they stood after the first minute, and resident memory may not have
# grown by more than SOAK_RSS_SLACK_KB since then (1024 by default: a leak of 100 bytes a transaction shows
# in half an hour; allocators keep what they once took, so the start itself is no measure).
slack=${SOAK_RSS_SLACK_KB:-1024}
while read -r who rss_first rss_last fds_first fds_last; do
  if [ "$fds_first" != "$fds_last" ]; then
    echo "soak: FAILED: $who had $fds_first open descriptors after the first report and $fds_last at the end"
    status=1
  fi
  if [ "$rss_first" -lt 0 ] || [ $((rss_last - rss_first)) -gt "$slack" ]; then
    echo "soak: FAILED: $who grew from $rss_first kB after the first report to $rss_last kB at the end"
    status=1
  fi
done < <(sed -nE 's/^soak: (this program|the device)[^;]*, ([0-9-]+) kB after the first report, ([0-9-]+) kB at the end; fds [0-9-]+, ([0-9-]+), ([0-9-]+)$/\1 \2 \3 \4 \5/p' \
  "$work/soak.out" | sed 's/^this program/program/; s/^the device/device/')
[ $status -eq 0 ] && echo "soak: passed"
exit $status
