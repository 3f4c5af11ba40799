#!/usr/bin/env bash
# Builds the release preset and runs every comparison benchmark at low priority: one line per
# comparison (what, ours, the yardstick, the ratio, the target, peak memory of both). The
# Windows part (our WinINet component against a minimal WinINet loop) runs under Wine in a
# throw-away prefix.
#   bash scripts/bench.sh [divisor]   sizes divided by divisor (default 1: the full sizes)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target bench_compare >/dev/null
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)" --target bench_wininet_fetch >/dev/null
prefix=$(mktemp -d "${TMPDIR:-/tmp}/brevan-bench-wine.XXXXXX")
trap 'bash scripts/wine-prefix.sh remove "$prefix"' EXIT
bash scripts/wine-prefix.sh create "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all BREVAN_BENCH_WININET=$PWD/build/win64/bench_wininet_fetch.exe
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
nice -n 19 build/release/bench/bench_compare "$@"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
