#!/usr/bin/env bash
# Installs everything the build, the demo and the test suite need on a fresh
# Debian 12 machine.  Run as root.  Does nothing when all packages are present.
set -euo pipefail

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-win32
          googletest wine64 xvfb xauth binutils-mingw-w64-i686 clang-format)
# The native fuzz build (scripts/fuzz.sh): clang, and libFuzzer with the sanitizers' run-time.
packages+=(clang libclang-rt-14-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if ! { apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; }; then
  echo "setup: could not install: ${missing[*]}" >&2
  exit 1
fi
