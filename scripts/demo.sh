#!/usr/bin/env bash
# The main job: builds the program, makes the sample release, serves it from the update mirror
# on loopback, prepares a machine folder with an old Brevan installation that points its proxy
# at the mirror, and opens the update window.
#
#   bash scripts/demo.sh              on a desktop: the window opens; tick, press
#                                     "アップデート開始" and answer the boxes yourself
#   bash scripts/demo.sh --headless   (also when DISPLAY is unset) runs the whole update under
#                                     Xvfb with real X input, saves a screenshot of each stage
#   bash scripts/demo.sh --windows    the same headless run of the Windows program (x86_64)
#                                     under Wine, in a throw-away Wine prefix holding the old
#                                     installation; screenshots in out/demo-windows/
#
# The release is signed with the sample key the build makes (brevan-release keygen), and the
# program is the one built with that key (brevan-update-sample): it installs only what the key
# signed.
#
# Either way it ends by checking the installed tree file by file against the tree the update
# must leave, prints a summary, and exits non-zero when the update did not complete.
set -euo pipefail
cd "$(dirname "$0")/.."

headless=0
windows=0
for arg in "$@"; do
  case "$arg" in
    --headless) headless=1 ;;
    --windows) headless=1 windows=1 ;;
    -h | --help)
      sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *)
      echo "unknown option: $arg (use --headless or --windows)" >&2
      exit 2
      ;;
  esac
done
[ -z "${DISPLAY:-}" ] && headless=1

bash scripts/deps.sh
# The same compiler launcher as the test command: configuring without it rebuilds everything.
export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
cmake --preset release >/dev/null
if ((windows)); then
  # The mirror and the sample maker run on Linux; the program and its UNLHA32.DLL are Windows'.
  cmake --build --preset release -j "$(nproc)" \
    --target brevan-mirror brevan-sample-release brevan-release sample_release_key
  cmake --preset win64 -DBREVAN_SAMPLE_PUBKEY="$PWD/build/release/tools/release/sample.pub" \
    >/dev/null
  cmake --build --preset win64 -j "$(nproc)" --target brevan-update-sample unlha32
else
  cmake --build --preset release -j "$(nproc)" \
    --target brevan-update-sample unlha32 brevan-mirror brevan-sample-release brevan-release
fi

build="$PWD/build/release"
program="$build/brevan-update-sample"
signer="$build/tools/release/brevan-release"
mirror="$build/tools/update-mirror/brevan-mirror"
maker="$build/tools/sample-release/brevan-sample-release"
out="$PWD/out/demo"
((windows)) && out="$PWD/out/demo-windows"
# Time stamps of the help files and archives are local times in Japan, the product's home.
export TZ=Asia/Tokyo
# The demo's machine folder is always its own, made fresh each run.
export BREVAN_PREFIX="$out/machine"

pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

mkdir -p "$out"
rm -rf "$out/machine" "$out/installed" "$out"/*.png "$out/mirror.log"
"$maker" release "$out/release"
# The publisher's step: one signed list per pass folder, checked as the program will.
"$signer" sign "$build/tools/release/sample.key" "$out/release"
"$signer" verify "$build/tools/release/sample.pub" "$out/release"

# In the headless run one pass-2 file comes slowly, so the progress can be photographed.
mirror_args=(--root "$out/release" --log "$out/mirror.log")
((headless)) && mirror_args+=(--fault "MERGEHELP.IN_=slow:64:150")
"$mirror" "${mirror_args[@]}" >"$out/mirror.port" &
pids+=($!)
port=""
for _ in $(seq 100); do
  port=$(head -n 1 "$out/mirror.port" 2>/dev/null || true)
  [ -n "$port" ] && break
  sleep 0.05
done
[ -n "$port" ] || { echo "The update mirror did not start." >&2; exit 1; }
echo "Update mirror on 127.0.0.1:$port (request log: $out/mirror.log)"

"$maker" machine "$BREVAN_PREFIX" --proxy "127.0.0.1:$port"

check_tree() {
  echo
  echo "Installed tree (machine folder $BREVAN_PREFIX):"
  "$maker" check "$BREVAN_PREFIX" --proxy "127.0.0.1:$port" --ticks saved
}

if ((!headless)); then
  "$program" || true
  check_tree
  exit $?
fi

source scripts/xdrive.sh
xdrive_start_display
pids+=("$XDRIVE_XVFB_PID")

if ((windows)); then
  source scripts/wine-sample.sh
  wine_sample_prepare "$out/wine" "$BREVAN_PREFIX"
  trap 'wine_sample_cleanup; cleanup' EXIT
  wine_sample_run "$PWD/build/win64/brevan-update-sample.exe" >"$out/program.log" 2>&1 &
else
  "$program" >"$out/program.log" 2>&1 &
fi
app_pid=$!
pids+=("$app_pid")

fail() {
  echo "The update did not complete: $1" >&2
  xdrive_shot "$out/failed.png" || true
  echo "Screen at the failure: $out/failed.png; program output: $out/program.log" >&2
  exit 1
}

# 1. The notice of the start-up, before the window shows (a fresh Wine prefix takes ~11 s).
notice=$(xdrive_wait_window "^${XDRIVE_CAPTION}\$" 60) || fail "no start-up notice"
xdrive_shot "$out/1-notice.png" "$notice"
xdrive_key "$notice" Return

# 2. The window, ready: every standard ticked on this first update.
window=$(xdrive_wait_main_window 30) || fail "the window did not open"
sleep 0.5
xdrive_shot "$out/2-ready.png" "$window"

# 3. "アップデート開始"; the slow file shows the download of pass 2 under way.
xdrive_click_client "$window" 441 267
xdrive_wait_log "$out/mirror.log" "MERGEHELP.IN_" 60 || fail "the download did not reach pass 2"
sleep 1
xdrive_shot "$out/3-progress.png" "$window"

# 4. The completion box; its OK closes the program.
box=$(xdrive_wait_box "情報|エラー|確認" 300) || fail "no completion box"
title=$(xdotool getwindowname "$box")
xdrive_shot "$out/4-completed.png" "$window"
[ "$title" = "情報" ] || fail "a box titled \"$title\" appeared instead of the completion box"
xdrive_key "$box" Return
for _ in $(seq 100); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the window did not close after the completion box"

echo
echo "Screenshots of each stage:"
ls -1 "$out"/[0-9]-*.png | sed 's/^/  /'
echo "Requests the mirror received: $(wc -l <"$out/mirror.log") ($out/mirror.log)"
if ((windows)); then
  # The sample's files of the prefix's drive C:, set out as a machine folder for the check.
  wine_sample_collect "$out/installed"
  BREVAN_PREFIX="$out/installed"
fi
check_tree
