#!/bin/sh
# Runs a Windows suite against the Linux update mirror on a free loopback port. The suite finds
# the mirror's address in BREVAN_MIRROR ("127.0.0.1:PORT"), its release folder in
# BREVAN_MIRROR_ROOT, its request log in BREVAN_MIRROR_LOG and the request heads in
# BREVAN_MIRROR_HEADS (Windows paths on Wine's drive Z:).
# usage: run-with-mirror.sh MIRROR [--fault NAME=KIND]... -- COMMAND...
set -u
mirror=$1
shift
if [ ! -x "$mirror" ]; then
  echo "no update mirror at $mirror: build brevan-mirror in the release preset first" >&2
  exit 1
fi
faults=
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  faults="$faults $1"
  shift
done
shift

dir=$(mktemp -d "${TMPDIR:-/tmp}/brevan-mirror-XXXXXX")
mkdir "$dir/release"
# The fault arguments hold no blanks, so they split as given.
# shellcheck disable=SC2086
"$mirror" --root "$dir/release" --log "$dir/requests.log" --head-log "$dir/heads.log" $faults \
  >"$dir/port" &
pid=$!
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
tries=0
until grep -q '^[0-9][0-9]*$' "$dir/port" 2>/dev/null; do
  if ! kill -0 "$pid" 2>/dev/null || [ "$tries" -ge 200 ]; then
    echo "the update mirror did not start" >&2
    exit 1
  fi
  tries=$((tries + 1))
  sleep 0.05
done

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
BREVAN_MIRROR="127.0.0.1:$(cat "$dir/port")" \
BREVAN_MIRROR_ROOT=$(windows_path "$dir/release") \
BREVAN_MIRROR_LOG=$(windows_path "$dir/requests.log") \
BREVAN_MIRROR_HEADS=$(windows_path "$dir/heads.log") \
  "$@"
exit $?
