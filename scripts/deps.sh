#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need, when any is missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang
  qt6-base-dev libgl-dev libx11-dev libcurl4-openssl-dev libmspack-dev liblhasa-dev libssl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-ipafont-gothic fontconfig xvfb xdotool x11-apps x11-utils imagemagick
  mscompress lhasa jlha-utils curl ccache
  # The crash test kills the program at chosen renames with strace's fault injection.
  strace
  # The Windows build: mingw-w64's posix-threads compilers, the 64-bit Wine that runs its
  # suites and its own fonts (the caption buttons' Marlett), dpkg-dev for lhasa's source
  # package. Never wine32: this kind of machine cannot run 32-bit code, and with wine64
  # present the wine wrapper does not ask for it.
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
  binutils-mingw-w64-i686 wine64 wine fonts-wine dpkg-dev
  # The format check of the test command.
  clang-format
  # The real servers of the realservers suite: the proxy the users sit behind (its
  # basic_ncsa_auth for the sign-in) and the publisher's web server; htpasswd writes the users.
  squid nginx apache2-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  plan=$(apt-get install -s --no-install-recommends "${missing[@]}")
  if grep -q '^Inst wine32' <<<"$plan"; then
    echo "Refusing: these packages would bring in wine32, which this machine cannot run." >&2
    exit 1
  fi
  # The suites start their own Squid and nginx on free ports, as the current user; the system
  # instances the packages would start on install (ports 3128 and 80) are not wanted. A
  # policy-rc.d that refuses every start keeps invoke-rc.d and deb-systemd-invoke from starting
  # any of them; one the machine already has (container images ship one) stays as it is.
  policy=/usr/sbin/policy-rc.d
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\n# Written by Brevan scripts/deps.sh while it installs.\nexit 101\n' |
      "${sudo_cmd[@]}" tee "$policy" >/dev/null
    "${sudo_cmd[@]}" chmod 755 "$policy"
    trap '"${sudo_cmd[@]}" rm -f "$policy"' EXIT
  fi
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
