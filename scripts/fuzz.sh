#!/usr/bin/env bash
# Runs the fuzz targets of a sanitizer build, each for a bounded time on the
# seeds its own writers make (kept in <build>/fuzz-seeds/<name>; what the
# fuzzer adds goes to <build>/fuzz-corpus/<name>, a crash input to
# <build>/fuzz-artifacts/<name>/). Fails when any target finds something.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS JOBS [NAME...]
set -uo pipefail
dir=$(cd "$1" && pwd); seconds=$2; jobs=$3; shift 3

targets=()
if [ $# -gt 0 ]; then
  for n in "$@"; do targets+=("$dir/fuzz/fuzz_$n"); done
else
  targets=("$dir"/fuzz/fuzz_*)
fi

run_one() {
  local t=$1 dir=$2 seconds=$3
  local name=${t##*/fuzz_}
  local seeds=$dir/fuzz-seeds/$name corpus=$dir/fuzz-corpus/$name art=$dir/fuzz-artifacts/$name
  local log=$dir/fuzz-logs/$name.log
  rm -rf "$seeds" && mkdir -p "$seeds" "$corpus" "$art" "$dir/fuzz-logs"
  if ! SONVELA_FUZZ_SEEDS=$seeds "$t" > "$log" 2>&1; then
    echo "FUZZ $name: writing the seeds failed"; tail -30 "$log"; return 1
  fi
  local ok=1
  "$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=16384 -print_final_stats=1 \
      -artifact_prefix="$art/" "$corpus" "$seeds" >> "$log" 2>&1 || ok=0
  # libFuzzer's final statistics: the inputs run, also when it stopped at a fault.
  local runs
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  if [ $ok = 1 ]; then
    echo "FUZZ $name: nothing found in ${seconds} s, ${runs:-?} inputs, $(ls "$seeds" | wc -l) seeds"
  else
    echo "FUZZ $name: FOUND A FAULT after ${runs:-?} inputs (input in $art/)"
    grep -A25 -m1 'ERROR\|runtime error\|==ERROR' "$log" | head -40
    return 1
  fi
}
export -f run_one

printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {} "$dir" "$seconds"
