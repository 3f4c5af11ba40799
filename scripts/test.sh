#!/usr/bin/env bash
# Checks the format of every source, builds as a packager does (plain Release, no preset, so no
# -Werror: it must still give no warning), then builds the release and the sanitizer (ASan +
# UBSan) builds and runs the whole suite in both.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"
  export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
fi

echo "== format"
git ls-files -z '*.c' '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

echo "== plain Release build: the program and its LHA library, every file without a warning"
cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/plain --target clean >/dev/null
log=build/plain/build.log
cmake --build build/plain --target brevan-update unlha32 -j "$jobs" 2>&1 | tee "$log"
if grep -q "warning:" "$log"; then
  echo "The plain Release build gave warnings (see $log)" >&2
  exit 1
fi

for preset in release asan; do
  echo "== ${preset}: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== ${preset}: tests"
  ctest --preset "$preset" -j "$jobs" --timeout 300
done
