#!/usr/bin/env bash
# Checks the format of every source, builds everything as a packager does (plain Release, no
# warning allowed) and the sanitizer (ASan + UBSan) build and runs the whole suite in both,
# then the Windows program: both architectures cross-built, the i686 one checked statically
# (this machine cannot run 32-bit code), the x86_64 suites run under Wine.
# Usage: test.sh [--windows]   (--windows: the Windows part only)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}

if [ "${1:-}" != "--windows" ]; then
  echo "== format"
  git ls-files -z '*.c' '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

  # The Release build as a packager makes it (no preset, so no -Werror), and no warning allowed;
  # the whole suite runs on it, so the program is built once.
  echo "== Release build (plain CMake, as a packager builds)"
  cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/plain --target clean >/dev/null
  log=build/plain/build.log
  cmake --build build/plain -j "$jobs" 2>&1 | tee "$log"
  if grep -q "warning:" "$log"; then
    echo "The plain Release build gave warnings (see $log)" >&2
    exit 1
  fi
  echo "== Release build: tests"
  ctest --test-dir build/plain -j "$jobs" --timeout 300 --output-on-failure

  # Every parser runs 10 s on its seed corpus under the fuzzer: a crash fails the suite.
  bash scripts/fuzz.sh 10 "$jobs"

  echo "== asan: build"
  cmake --preset asan >/dev/null
  cmake --build --preset asan -j "$jobs"
  echo "== asan: tests"
  ctest --preset asan -j "$jobs" --timeout 300
fi

windows_start=$SECONDS
echo "== win32: build and static checks"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs" --target windows_release
ctest --preset win32 --timeout 300

echo "== win64: build"
# The WinINet suite talks to the Linux update mirror of the Release build, whose harnesses also
# drive the Windows program end to end, on the mirror and behind the real Squid and nginx; that
# build's sample key is built into the Windows program that installs the signed sample release.
cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/plain -j "$jobs" --target brevan-mirror e2e_windows_tests \
  realservers_windows_tests sample_release_key
cmake --preset win64 -DBREVAN_HOST_MIRROR="$PWD/build/plain/tools/update-mirror/brevan-mirror" \
  -DBREVAN_HOST_E2E="$PWD/build/plain/tests/e2e/e2e_windows_tests" \
  -DBREVAN_HOST_REALSERVERS="$PWD/build/plain/tests/realservers/realservers_windows_tests" \
  -DBREVAN_SAMPLE_PUBKEY="$PWD/build/plain/tools/release/sample.pub" >/dev/null
cmake --build --preset win64 -j "$jobs"
echo "== win64: tests under Wine"
# The window's suites need a display, known before the prefix starts: a private Xvfb.
source scripts/xdrive.sh
xdrive_start_display
prefix=$(mktemp -d "${TMPDIR:-/tmp}/brevan-wine.XXXXXX")
trap 'bash scripts/wine-prefix.sh remove "$prefix"; kill "$XDRIVE_XVFB_PID" 2>/dev/null || true' EXIT
bash scripts/wine-prefix.sh create "$prefix"
WINEPREFIX=$prefix WINEDEBUG=-all ctest --preset win64 -j "$jobs" --timeout 300
echo "== Windows part: $((SECONDS - windows_start)) s"
