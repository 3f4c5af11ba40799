#!/usr/bin/env bash
# Builds the release and the sanitizer (ASan + UBSan) builds and runs the whole suite in both.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)
# Every parser runs 10 s on its seed corpus under the fuzzer: a crash fails the suite.
bash scripts/fuzz.sh 10 "$jobs"
for preset in release asan; do
  echo "== ${preset}: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== ${preset}: tests"
  ctest --preset "$preset" -j "$jobs" --timeout 300
done
