#!/usr/bin/env bash
# Builds the release preset and runs every comparison benchmark at low priority: one line per
# comparison (what, ours, the yardstick, the ratio, the target, peak memory of both).
#   bash scripts/bench.sh [divisor]   sizes divided by divisor (default 1: the full sizes)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target bench_compare >/dev/null
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
nice -n 19 build/release/bench/bench_compare "$@"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
