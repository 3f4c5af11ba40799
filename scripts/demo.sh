#!/usr/bin/env bash
# The main job: builds the program and opens the update window on a sample machine folder.
# Without a display it runs the window under Xvfb, answers the start-up notice, saves a
# screenshot and closes the window again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target brevan-update unlha32

out="$PWD/out/demo"
export BREVAN_PREFIX="${BREVAN_PREFIX:-$out/machine}"
install="$BREVAN_PREFIX/drive_c/VALTERN/BREVAN"
if [ ! -d "$install" ]; then
  echo "Creating the sample machine folder $BREVAN_PREFIX"
  mkdir -p "$install" "$BREVAN_PREFIX/drive_c/WINDOWS" "$BREVAN_PREFIX/drive_c/TEMP"
  printf 'PROXYIP=\r\nPROXYPORT=0\r\nPATH=C:\\VALTERN\\BREVAN\\\r\nVER=1.0.0\r\n' \
    >"$install/DARADURA.INI"
fi

program="$PWD/build/release/brevan-update"
if [ -n "${DISPLAY:-}" ]; then
  exec "$program"
fi

mkdir -p "$out"
shot="$out/window.png"
display_number=99
while [ -e "/tmp/.X${display_number}-lock" ]; do display_number=$((display_number + 1)); done
Xvfb ":$display_number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
pids=("$xvfb_pid")
cleanup() { kill "${pids[@]}" 2>/dev/null || true; }
trap cleanup EXIT
export DISPLAY=":$display_number"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
"$program" &
app_pid=$!
pids+=("$app_pid")
sleep 3
# The start-up notice waits for its OK.
xdotool key Return || true
sleep 2
import -window root "$shot"
echo "Screenshot of the update window: $shot"
xdotool search --name "【Brevan】アップデートプログラム" windowclose 2>/dev/null || kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
echo "Machine folder: $BREVAN_PREFIX"
