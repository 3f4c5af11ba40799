#!/usr/bin/env bash
# A throw-away Wine prefix for the Windows suites, the demo and the end-to-end test.
#   wine-prefix.sh create <folder>   makes the prefix, starts its server and warms it up
#   wine-prefix.sh remove <folder>   stops its server and deletes the folder
# Callers then run programs with WINEPREFIX=<folder> WINEDEBUG=-all. A program that shows
# windows needs DISPLAY set before create: the prefix's services take the display they start
# with. Only the 64-bit Wine runs here (wine32 cannot start on this kind of machine), so only
# x86_64 programs are run.
set -euo pipefail
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64
action=${1:?create or remove}
prefix=$(realpath -m "${2:?prefix folder}")
export WINEPREFIX=$prefix WINEDEBUG=-all

case $action in
  create)
    rm -rf "$prefix"
    mkdir -p "$prefix"
    # A persistent server makes each later program start in a tenth of a second instead of
    # seconds. Started first: once wineboot has started one, a second cannot be made persistent.
    "$server" -p >/dev/null 2>&1
    # No Mono or Gecko: their install offers would hold up the boot, and nothing here needs them.
    WINEDLLOVERRIDES="mscoree=d;mshtml=d" "$wine" wineboot -i >/dev/null 2>&1
    # The first program starts the prefix's services, which keep the output they were given
    # open: they must get /dev/null here, not the pipe of a test that CTest waits on.
    "$wine" cmd /c exit >/dev/null 2>&1
    # The window's Japanese fonts; the value name is Japanese, so reg must get UTF-8 text.
    for face in "ＭＳ ゴシック" "MS UI Gothic"; do
      LANG=C.UTF-8 LC_ALL=C.UTF-8 "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
        /v "$face" /t REG_SZ /d IPAGothic /f >/dev/null 2>&1
    done
    # Without a window manager (Xvfb) Wine waits up to two seconds for one each time a managed
    # window hides; unmanaged windows get their frame from Wine itself and hide at once.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # Wine draws the caption buttons in Marlett, which Debian's Wine finds only in the prefix.
    cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
    ;;
  remove)
    [ -d "$prefix" ] || exit 0
    "$server" -k >/dev/null 2>&1 || true  # no server left: nothing to stop
    rm -rf "$prefix"
    ;;
  *)
    echo "wine-prefix.sh: unknown action $action" >&2
    exit 2
    ;;
esac
