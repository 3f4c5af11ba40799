# The sample machine in a Wine prefix, for the Windows program's demo. Sourced by
# scripts/demo.sh after the display is up (the prefix's services keep the display they start with).

WINE_SAMPLE_WINE=/usr/lib/wine/wine64

# wine_sample_prepare PREFIX MACHINE: a fresh prefix holding the machine folder's drive_c and
# registry.reg (imported into the 32-bit view, where the program reads it).
wine_sample_prepare() {
  WINE_SAMPLE_PREFIX=$(realpath -m "$1")
  export WINEPREFIX=$WINE_SAMPLE_PREFIX WINEDEBUG=-all
  bash "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh" create "$WINEPREFIX"
  # Wine keeps the temporary folder below the user's profile; the sample keeps it at C:\TEMP.
  local name top target
  for name in TEMP TMP; do
    "$WINE_SAMPLE_WINE" reg add 'HKCU\Environment' /v "$name" /t REG_SZ /d 'C:\TEMP' /f >/dev/null
  done
  # The sample's top folders land on Wine's where only the letter case differs (C:\windows).
  for top in "$2"/drive_c/*; do
    target=$(find "$WINEPREFIX/drive_c" -mindepth 1 -maxdepth 1 -iname "$(basename "$top")" \
      -print -quit)
    [ -n "$target" ] || target="$WINEPREFIX/drive_c/$(basename "$top")"
    mkdir -p "$target"
    cp -a "$top/." "$target/"
  done
  "$WINE_SAMPLE_WINE" reg import "$2/registry.reg" /reg:32 >/dev/null 2>&1
}

# wine_sample_run PROGRAM: runs the Windows program in the prefix, without any proxy of the
# environment.
wine_sample_run() {
  env -u http_proxy -u HTTP_PROXY -u ALL_PROXY "$WINE_SAMPLE_WINE" "$1"
}

# wine_sample_collect FOLDER: copies the sample's files out of the prefix into FOLDER/drive_c,
# named as the sample machine names them, for the check of the installed tree.
wine_sample_collect() {
  local drive="$WINEPREFIX/drive_c"
  rm -rf "$1"
  mkdir -p "$1/drive_c/WINDOWS" "$1/drive_c/Program Files"
  cp -a "$drive/windows/DARADURA.INI" "$1/drive_c/WINDOWS/"
  cp -a "$drive/Program Files/Valtern" "$1/drive_c/Program Files/"
  cp -a "$drive/TEMP" "$1/drive_c/"
}

# wine_sample_cleanup: stops the prefix's server and deletes the prefix.
wine_sample_cleanup() {
  [ -n "${WINE_SAMPLE_PREFIX:-}" ] || return 0
  bash "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh" remove "$WINE_SAMPLE_PREFIX"
}
