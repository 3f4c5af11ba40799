# Real X input for the headless demo: a private Xvfb display, windows found by title, keys and
# clicks through xdotool, screenshots through ImageMagick. Sourced by scripts/demo.sh.

# The update window's client area is 506 x 288; the menu bar sits above it in the same X window.
# Under Wine without a window manager the X window also holds the frame Wine draws: a border
# of a few pixels left, right and below, the caption above.
XDRIVE_CLIENT_WIDTH=506
XDRIVE_CLIENT_HEIGHT=288
# The caption comes from the window's design table, its one home.
XDRIVE_CAPTION=$(sed -n 's/^ *\.caption = "\(.*\)",$/\1/p' \
  "$(dirname "${BASH_SOURCE[0]}")/../app/WindowDesign.h")

# Starts Xvfb on a free display (Xvfb picks it: no race with other servers), exports DISPLAY,
# sets XDRIVE_XVFB_PID.
xdrive_start_display() {
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  XDRIVE_XVFB_PID=$!
  local n=""
  for _ in $(seq 100); do
    n=$(head -n 1 "$number_file" 2>/dev/null || true)
    [ -n "$n" ] && break
    sleep 0.05
  done
  rm -f "$number_file"
  [ -n "$n" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$n"
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  echo "Xvfb on $DISPLAY does not answer" >&2
  return 1
}

# xdrive_geometry WID: sets X, Y, WIDTH, HEIGHT of the window.
xdrive_geometry() {
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
}

# xdrive_wait_window REGEX SECONDS: prints the id of a shown window whose title matches.
xdrive_wait_window() {
  local end=$((SECONDS + $2)) wid
  while ((SECONDS < end)); do
    wid=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1 || true)
    if [ -n "$wid" ]; then
      echo "$wid"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# xdrive_wait_main_window SECONDS: the update window itself (its boxes carry the same title).
xdrive_wait_main_window() {
  local end=$((SECONDS + $1)) wid
  while ((SECONDS < end)); do
    for wid in $(xdotool search --onlyvisible --name "^${XDRIVE_CAPTION}\$" 2>/dev/null); do
      xdrive_geometry "$wid"
      if ((WIDTH >= XDRIVE_CLIENT_WIDTH && WIDTH <= XDRIVE_CLIENT_WIDTH + 16 &&
        HEIGHT > XDRIVE_CLIENT_HEIGHT)); then
        echo "$wid"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}

# xdrive_wait_box REGEX SECONDS: a message box whose title matches ("情報|エラー").
xdrive_wait_box() { xdrive_wait_window "^($1)\$" "$2"; }

# xdrive_key WID KEY: gives the window the keyboard focus and presses the key.
xdrive_key() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  xdotool key "$2"
}

# xdrive_click_client WID X Y: a left click at client-area coordinates of the update window.
xdrive_click_client() {
  xdrive_geometry "$1"
  local border=$(((WIDTH - XDRIVE_CLIENT_WIDTH) / 2))
  local top=$((HEIGHT - border - XDRIVE_CLIENT_HEIGHT))
  xdotool mousemove --sync $((X + border + $2)) $((Y + top + $3)) click 1
}

# xdrive_shot FILE [WID]: the screen, cut to the window when one is given.
xdrive_shot() {
  if [ -n "${2:-}" ]; then
    xdrive_geometry "$2"
    import -silent -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1"
  else
    import -silent -window root "$1"
  fi
}

# xdrive_wait_log FILE TEXT SECONDS: waits until a line of the file contains the text.
xdrive_wait_log() {
  local end=$((SECONDS + $3))
  while ((SECONDS < end)); do
    grep -qF -- "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
