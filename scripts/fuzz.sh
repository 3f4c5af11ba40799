#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while (default 60 s each):
#   bash scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
seconds="${1:-60}"
cmake --preset fuzz >/dev/null
targets=(fuzz_szdd fuzz_help_merge fuzz_registry fuzz_profile fuzz_pe_version
         unlha32_cmdline_fuzz unlha32_names_fuzz unlha32_extract_fuzz)
cmake --build --preset fuzz -j "$(nproc)" --target "${targets[@]}"
corpus="$PWD/out/fuzz"
run() {
  local program=$1 dict=${2:-}
  local name
  name=$(basename "$program")
  mkdir -p "$corpus/$name"
  echo "== $name (${seconds} s)"
  local args=(-max_total_time="$seconds" -print_final_stats=1)
  [ -n "$dict" ] && args+=(-dict="$dict")
  "$program" "${args[@]}" "$corpus/$name" 2>&1 | grep -E "^(stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)" || true
}
run build/fuzz/tests/fuzz/fuzz_szdd tests/fuzz/szdd.dict
run build/fuzz/tests/fuzz/fuzz_help_merge tests/fuzz/help_merge.dict
run build/fuzz/tests/fuzz/fuzz_registry tests/fuzz/registry.dict
run build/fuzz/tests/fuzz/fuzz_profile tests/fuzz/profile.dict
run build/fuzz/tests/fuzz/fuzz_pe_version
for target in cmdline names extract; do
  run "build/fuzz/unlha32/fuzz/unlha32_${target}_fuzz"
done
