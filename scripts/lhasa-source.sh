#!/usr/bin/env bash
# Unpacks Debian's lhasa source package into a folder outside git, once, for the Windows build
# of UNLHA32.DLL. The source list is our own: the deb-src twin of the archive the machine
# already uses, with its own list folder, so the machine's apt state is left as it was.
# Usage: lhasa-source.sh <destination folder>   (prints nothing when the folder is ready)
set -euo pipefail
dest=${1:?destination folder}
[ -f "$dest/lib/public/lhasa.h" ] && exit 0

work=$(mktemp -d)
chmod 755 "$work"  # apt fetches as its own user
trap 'rm -rf "$work"' EXIT

# The machine's own archive and suite: the first deb822 or one-line "deb" source.
uri="" suite="" keyring=""
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  uri=$(awk '/^URIs:/ {print $2; exit}' "$f")
  suite=$(awk '/^Suites:/ {print $2; exit}' "$f")
  keyring=$(awk '/^Signed-By:/ {print $2; exit}' "$f")
  [ -n "$uri" ] && break
done
if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
  read -r uri suite < <(awk '$1 == "deb" && $2 !~ /^\[/ {print $2, $3; exit}' /etc/apt/sources.list)
fi
[ -n "$uri" ] && [ -n "$suite" ] || { echo "lhasa-source: no Debian archive configured" >&2; exit 1; }

signed=""
[ -n "$keyring" ] && signed="[signed-by=$keyring] "
echo "deb-src ${signed}$uri $suite main" >"$work/sources.list"
mkdir -p "$work/lists/partial"
apt_opts=(-o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
  -o "Dir::State::Lists=$work/lists" -o Debug::NoLocking=1 -q)
apt-get "${apt_opts[@]}" update >/dev/null
(cd "$work" && apt-get "${apt_opts[@]}" source lhasa >/dev/null 2>&1) || {
  echo "lhasa-source: apt-get source lhasa failed" >&2
  exit 1
}
src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'lhasa-*' | head -n 1)
[ -f "$src/lib/public/lhasa.h" ] || { echo "lhasa-source: unexpected source layout" >&2; exit 1; }
mkdir -p "$(dirname "$dest")"
rm -rf "$dest"
mv "$src" "$dest"
