#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each on its committed seed corpus
# (tests/fuzz/corpus/<target>) for a while, at low priority; new inputs go to out/fuzz/<target>,
# a crash's input to out/fuzz/artifacts/. One line per target: executions, executions a
# second (of wall-clock and of processor time), findings. Exits non-zero when any target finds a crash, a leak or a time-out.
#   bash scripts/fuzz.sh [seconds each, default 60] [targets at a time, default 1]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
seconds="${1:-60}"
parallel="${2:-1}"
targets=(fuzz_szdd fuzz_help_merge fuzz_registry fuzz_profile fuzz_pe_version fuzz_release_list
         unlha32_cmdline_fuzz unlha32_names_fuzz unlha32_extract_fuzz)
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target "${targets[@]}"
out="$PWD/out/fuzz"
mkdir -p "$out/artifacts" "$out/logs"

program_of() {
  case "$1" in
    unlha32_*) echo "build/fuzz/unlha32/fuzz/$1" ;;
    *) echo "build/fuzz/tests/fuzz/$1" ;;
  esac
}

# Runs one target; prints its line and leaves its status in out/fuzz/logs/<target>.rc.
run() {
  local name=$1 dict
  dict="tests/fuzz/${name#fuzz_}.dict"
  mkdir -p "$out/$name"
  local args=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=1024
              -artifact_prefix="$out/artifacts/$name-")
  [ -f "$dict" ] && args+=(-dict="$dict")
  local rc=0
  nice -n 19 /usr/bin/time -f '%U %S' -o "$out/logs/$name.time" \
    "$(program_of "$name")" "${args[@]}" "$out/$name" "tests/fuzz/corpus/$name" \
    >"$out/logs/$name.log" 2>&1 || rc=$?
  echo "$rc" >"$out/logs/$name.rc"
  local runs rate
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/logs/$name.log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$out/logs/$name.log")
  # Executions per second of processor time: what the target manages on a machine it has
  # to itself (the wall-clock figure falls with the machine's load).
  local cpu
  cpu=$(awk '{ printf "%.0f", ($1 + $2 > 0) ? RUNS / ($1 + $2) : 0 }' RUNS="${runs:-0}" \
    "$out/logs/$name.time" 2>/dev/null || echo "?")
  local found="none"
  ((rc != 0)) && found="FOUND (exit $rc): $(grep -m1 -E '^(==[0-9]+==ERROR|SUMMARY|broken promise)' \
    "$out/logs/$name.log" || echo see "$out/logs/$name.log")"
  printf '%-22s %10s runs  %6s exec/s  %6s exec/s of CPU  findings: %s\n' "$name" \
    "${runs:-?}" "${rate:-?}" "$cpu" "$found"
}

echo "== fuzzing ${#targets[@]} targets, ${seconds} s each, ${parallel} at a time"
running=0
for name in "${targets[@]}"; do
  run "$name" &
  running=$((running + 1))
  if ((running >= parallel)); then
    wait -n
    running=$((running - 1))
  fi
done
wait
status=0
for name in "${targets[@]}"; do
  [ "$(cat "$out/logs/$name.rc")" = 0 ] || status=1
done
exit "$status"
