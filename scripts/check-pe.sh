#!/usr/bin/env bash
# Static checks of the Windows build's programs and libraries (the i686 ones cannot run here):
# every .exe and .dll in a folder is a PE32 (i686) or PE32+ (x86_64) image that imports only
# DLLs Windows itself has (no libwinpthread-1.dll, libgcc_s or libstdc++: the link is static);
# UNLHA32.DLL exports exactly Unlha, UnlhaGetVersion and UnlhaCheckArchive under their plain
# names, on i686 in the Windows API convention (the callee removes 16, 0 and 8 argument bytes);
# brevan-update.exe is a GUI program, Terminal-Server aware, with resources: a manifest asking
# for "highestAvailable", naming Windows 7 to 10/11, without DPI awareness or common controls 6,
# an icon and version information of the release's version; it imports none of the system DLLs
# that are not known libraries (VERSION, LZ32, WININET, COMCTL32): those load late, from the
# system folder.
# Usage: [VERSION=a.b.c.d] check-pe.sh <i686|x86_64> <folder> <file that must be there>...
set -euo pipefail
arch=${1:?i686 or x86_64}
folder=${2:?folder}
shift 2
objdump=$arch-w64-mingw32-objdump
objcopy=$arch-w64-mingw32-objcopy
windres=$arch-w64-mingw32-windres
case $arch in
  i686) magic="(PE32)" ;;
  x86_64) magic="(PE32+)" ;;
  *) echo "check-pe: unknown architecture $arch" >&2; exit 2 ;;
esac
# The DLLs Windows has, by the names Wine gives its own builds of them.
known_dlls=$(find /usr/lib/x86_64-linux-gnu/wine/x86_64-windows -maxdepth 1 -iname '*.dll' -printf '%f\n' |
  tr '[:upper:]' '[:lower:]')
[ -n "$known_dlls" ] || { echo "check-pe: Wine's DLLs not found (wine64 installed?)" >&2; exit 2; }
failures=0
fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

for required in "$@"; do
  [ -f "$folder/$required" ] || fail "$required: missing in $folder"
done

# The first return of an exported function: "ret $0x10" in the Windows API convention.
first_return() {
  local image=$1 name=$2 base rva start code
  base=$("$objdump" -p "$image" | awk '$1 == "ImageBase" {print $2}')
  rva=$("$objdump" -p "$image" | awk -v n="$name" '
    /Export Address Table --/ {t = 1; next}
    t && /^\t\[/ && /Export RVA/ {gsub(/[\[\]]/, ""); rvas[$1] = $4}
    /\[Ordinal\/Name Pointer\] Table/ {names = 1; next}
    names && /^\t\[/ {i = $2; gsub(/[\[\]]/, "", i); if ($3 == n) print rvas[i]}')
  [ -n "$rva" ] || return 0
  start=$(printf '0x%x' $((0x$base + 0x$rva)))
  code=$("$objdump" -d --start-address="$start" --stop-address=$((start + 4096)) "$image")
  grep -m1 -E $'\tret' <<<"$code" | sed -E 's/.*\t(ret[^#]*).*/\1/; s/ +/ /g; s/ $//'
}

shopt -s nullglob nocaseglob
images=("$folder"/*.exe "$folder"/*.dll)
shopt -u nocaseglob
((${#images[@]})) || fail "no program or library in $folder"
for image in "${images[@]}"; do
  name=$(basename "$image")
  if ! headers=$("$objdump" -p "$image" 2>&1) || ! grep -qF "$magic" <<<"$headers"; then
    fail "$name: not $magic"
    continue
  fi
  while read -r dll; do
    grep -qxF "${dll,,}" <<<"$known_dlls" || fail "$name: imports $dll, which Windows does not have"
  done < <(awk '/DLL Name:/ {print $3}' <<<"$headers")
  case ${name,,} in
    unlha32.dll)
      exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {t = 1; next} t && /^\t\[/ {print $3}' \
        <<<"$headers" | sort | tr '\n' ' ')
      [ "$exports" = "Unlha UnlhaCheckArchive UnlhaGetVersion " ] ||
        fail "$name: exports \"$exports\" instead of the three plain entry points"
      if [ "$arch" = i686 ]; then
        for entry in Unlha:0x10 UnlhaGetVersion: UnlhaCheckArchive:0x8; do
          want="ret"
          [ -n "${entry#*:}" ] && want="ret \$${entry#*:}"
          got=$(first_return "$image" "${entry%%:*}")
          [ "$got" = "$want" ] || fail "$name: ${entry%%:*} returns with \"$got\", not \"$want\""
        done
      fi
      ;;
    brevan-update.exe)
      grep -qE "^Subsystem.*Windows GUI" <<<"$headers" || fail "$name: not a GUI program"
      grep -q "TERMINAL_SERVICE_AWARE" <<<"$headers" || fail "$name: not Terminal-Server aware"
      for late in version.dll lz32.dll wininet.dll comctl32.dll; do
        awk '/DLL Name:/ {print tolower($3)}' <<<"$headers" | grep -qxF "$late" &&
          fail "$name: imports $late at start (it would be taken from the program's folder)"
      done
      rsrc=$(mktemp)
      if ! "$objcopy" -O binary --only-section=.rsrc "$image" "$rsrc" 2>/dev/null || ! [ -s "$rsrc" ]; then
        fail "$name: no resource section"
      else
        manifest=$(tr -d '\0' <"$rsrc" | tr '\n' ' ' | grep -ao '<assembly.*</assembly>' || true)
        [ -n "$manifest" ] || fail "$name: no manifest"
        grep -q 'requestedExecutionLevel level="highestAvailable"' <<<"$manifest" ||
          fail "$name: the manifest does not ask for highestAvailable"
        for os in 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
          1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
          grep -q "supportedOS Id=\"{$os}\"" <<<"$manifest" || fail "$name: the manifest lacks supportedOS $os"
        done
        grep -q '<dpiAware[^>]*>false</dpiAware>' <<<"$manifest" ||
          fail "$name: the manifest does not say dpiAware false"
        grep -qiE 'dpiAwareness|Microsoft\.Windows\.Common-Controls' <<<"$manifest" &&
          fail "$name: the manifest asks for DPI awareness or common controls 6"
        types=$("$windres" -i "$image" -O rc 2>/dev/null | grep -o 'Type: [a-z0-9 ]*' | sort -u | tr '\n' ' ')
        for type in "Type: group icon" "Type: version" "Type: 24"; do
          grep -qF "$type" <<<"$types" || fail "$name: no resource of $type"
        done
        if [ -n "${VERSION:-}" ]; then
          strings -el "$rsrc" | grep -qxF "$VERSION" || fail "$name: version information is not $VERSION"
        fi
      fi
      rm -f "$rsrc"
      ;;
  esac
done
echo "check-pe: ${#images[@]} images in $folder checked, $failures failures"
((failures == 0))
