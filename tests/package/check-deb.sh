#!/usr/bin/env bash
# Builds the Debian package from a finished build, checks its name, files and dependencies, and
# installs it into a scratch root, where the installed program must load its LHA library from
# its private library folder.
# Usage: check-deb.sh <build folder> <version>
set -euo pipefail
build=$1
version=$2
scratch=$(mktemp -d)
program=
cleanup() {
  if [ -n "$program" ]; then
    kill "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log") ||
  { cat "$scratch/cpack.log"; fail "cpack did not make the package"; }
deb=$scratch/out/brevan-update_${version}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb"); made: $(ls "$scratch/out")"

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for want in ./usr/bin/brevan-update ./usr/lib/brevan-update/libunlha32.so \
  ./usr/share/brevan-update/brevan-fonts.conf ./usr/share/doc/brevan-update/README.md; do
  grep -qx "$want" <<<"$files" || fail "$want missing from the package: $files"
done

depends=$(dpkg-deb -f "$deb" Depends)
names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')
for want in libc6 libstdc++6 libcurl4 libmspack0 liblhasa0 libqt6widgets6 fonts-ipafont-gothic; do
  grep -qxF "$want" <<<"$names" || fail "Depends lacks $want: $depends"
done

# A root of its own with an empty package database; the dependencies live in the real system.
# Unpacked only: the postinst CPack adds (an ldconfig call, as the library sits under /usr/lib)
# cannot run inside a root without a shell, and the private folder needs no ldconfig anyway.
root=$scratch/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg --root="$root" --log=/dev/null --force-depends --force-not-root --unpack "$deb" \
  >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; fail "dpkg --root --unpack failed"; }
dpkg --root="$root" -L brevan-update | grep -qx /usr/lib/brevan-update/libunlha32.so ||
  fail "dpkg does not list the library as installed"

# The program binds its LHA library before its window opens; the loader's trace names the file.
trace=$scratch/loader.log
BREVAN_PREFIX=$scratch/machine QT_QPA_PLATFORM=offscreen LD_DEBUG=files LD_DEBUG_OUTPUT=$trace \
  "$root/usr/bin/brevan-update" >/dev/null 2>&1 &
program=$!
want="file=$root/usr/bin/../lib/brevan-update/libunlha32.so"
for _ in $(seq 300); do
  if cat "$trace".* 2>/dev/null | grep -qF "$want"; then
    echo "package $(basename "$deb"): files, Depends ($depends) and installed library checked"
    exit 0
  fi
  kill -0 "$program" 2>/dev/null || break
  sleep 0.1
done
fail "the installed program did not load $want; loaded: $(cat "$trace".* 2>/dev/null | grep -o 'file=[^ ]*unlha32[^ ]*' || true)"
