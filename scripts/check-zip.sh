#!/usr/bin/env bash
# Lists a release zip and checks it holds exactly the given files, in the one folder named
# after the zip.
# Usage: check-zip.sh <zip> <file>...
set -euo pipefail
zip=${1:?zip}
shift
top=$(basename "$zip" .zip)
listed=$(cmake -E tar tf "$zip" | grep -v '/$' | sort)
expected=$(printf "$top/%s\n" "$@" | sort)
echo "$listed"
if [ "$listed" != "$expected" ]; then
  echo "FAIL $zip holds other files than:" >&2
  echo "$expected" >&2
  exit 1
fi
