#!/usr/bin/env bash
# Installs everything the build, the demo and the test suite need on a fresh
# Debian 12 machine, then finds out how this machine can run 32-bit (i686)
# Windows programs, prepares that route and writes the decision to
# build/route/i686 (scripts/route.sh: classic 32-bit Wine in an i386 tree,
# wine64's WoW64 mode, or none).  Run as root.  Installs and prepares
# nothing when all is present; the probe runs every time (a few seconds).
#
# Wine's WoW64 mode: Debian's wine64 runs i686 Windows programs in its
# 64-bit loader when it finds Wine's own 32-bit PE DLLs.  Those come from
# the package libwine:i386 of exactly the installed libwine:amd64's
# version, which is only downloaded and unpacked here, never installed:
#   build/wow64/libwine-i386/         the unpacked package
#   build/wow64/libwine-i386.version  its version
#   build/wow64/dlls/                 the folder WINEDLLPATH names, with
#     i386-windows -> libwine-i386/usr/lib/i386-linux-gnu/wine/i386-windows
#     x86_64-unix  -> /usr/lib/x86_64-linux-gnu/wine/x86_64-unix
# (Wine looks for each DLL's unix half beside its PE folder: without the
# second link no window can be created.)  The folder belongs to the
# checkout, whatever BUILD_DIR the scripts use.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
wow64="$root/build/wow64"
source "$root/scripts/route.sh"

# Other apt runs of the machine may hold its locks for a while.
apt_wait=(-o DPkg::Lock::Timeout=300)

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-win32 g++-mingw-w64-i686-posix
          googletest wine64 xvfb xauth binutils-mingw-w64-i686 clang-format)
# The demo turns its screenshots into PNG files with ImageMagick's convert.
packages+=(imagemagick)
# The native fuzz build (scripts/fuzz.sh): clang, and libFuzzer with the sanitizers' run-time.
packages+=(clang libclang-rt-14-dev)
# The setup program (makensis, with its x86 and x86_64 stubs) and the release zip and its checks (7z).
packages+=(nsis p7zip-full)
# The user guide in HTML, made from its Markdown (tables included) for the setup program and the zip.
packages+=(cmark-gfm)
# Wine's own fonts: Marlett draws the glyphs of the caption buttons (without
# it a dialog's close box shows the letter "r").
packages+=(fonts-wine)
# The Japanese locale, under which the tests of other scripts run a second
# time: Wine takes the code page (932) from its name, and the encoding of
# file names from the locale itself, which must exist for that.
packages+=(locales)

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: $1 needs root" >&2
    exit 1
  fi
}

# Installs the packages named (all of "packages" when none are).
install_packages() {
  local missing=() p
  [ $# -gt 0 ] || set -- "${packages[@]}"
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  echo "setup: installing ${missing[*]}"
  need_root "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! { apt-get "${apt_wait[@]}" update -qq && apt-get "${apt_wait[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; }; then
    echo "setup: could not install: ${missing[*]}" >&2
    exit 1
  fi
}

# True when build/wow64 holds the 32-bit DLLs of this version and both links.
wow64_ready() {
  [ "$(cat "$wow64/libwine-i386.version" 2>/dev/null)" = "$1" ] &&
    [ -f "$wow64/dlls/i386-windows/kernel32.dll" ] &&
    [ -d "$wow64/dlls/x86_64-unix/" ]
}

# Removes the i386 architecture again and refreshes the package lists, so
# that no other apt run of the machine sees it; runs on every exit of the
# subshell that added it.
drop_i386() {
  dpkg --remove-architecture i386 || echo "setup: could not remove the i386 architecture again" >&2
  apt-get "${apt_wait[@]}" update -qq || echo "setup: apt-get update after removing the i386 architecture failed" >&2
}

# Downloads libwine:i386=<version> into the folder given; the i386
# architecture is known to apt only meanwhile, and not at all when the
# machine had it before.
download_libwine_i386() {
  local version="$1" folder="$2"
  (
    cd "$folder" || exit 1
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      trap drop_i386 EXIT
      trap 'exit 130' INT TERM HUP
      dpkg --add-architecture i386 || exit 1
    fi
    # An index that fails to come (a mirror in the middle of a sync) need
    # not be the one the download takes; the download says so when it is.
    apt-get "${apt_wait[@]}" update -qq || echo "setup: apt-get update failed in part; trying the download all the same" >&2
    apt-get "${apt_wait[@]}" download -qq "libwine:i386=$version"
  )
}

prepare_wow64() {
  local version
  version="$(dpkg-query -W -f='${Version}' libwine:amd64 2>/dev/null || true)"
  if [ -z "$version" ]; then
    echo "setup: libwine:amd64 is not installed (it comes with wine64)" >&2
    exit 1
  fi
  wow64_ready "$version" && return 0

  echo "setup: preparing $wow64 for Wine's WoW64 mode (libwine:i386 $version)"
  need_root "downloading libwine:i386"
  export DEBIAN_FRONTEND=noninteractive
  mkdir -p "$wow64"
  rm -rf "$wow64"/download.* # left by an interrupted run
  local download
  download="$(mktemp -d "$wow64/download.XXXXXX")"
  # apt fetches as its own user _apt, who must be able to write there.
  chmod 755 "$download"
  chown _apt "$download" 2>/dev/null || true
  if ! download_libwine_i386 "$version" "$download"; then
    rm -rf "$download"
    echo "setup: could not download libwine:i386=$version (Wine's 32-bit DLLs, which the i686 tests and" >&2
    echo "setup: the demo need); check the network and that the Debian archive still carries this version" >&2
    exit 1
  fi
  local package
  package="$(ls "$download"/libwine_*_i386.deb)"
  local got
  got="$(dpkg-deb -f "$package" Version)"
  if [ "$got" != "$version" ]; then
    rm -rf "$download"
    echo "setup: downloaded libwine:i386 $got, but wine64 is $version: they must be the same" >&2
    exit 1
  fi

  rm -rf "$wow64/libwine-i386" "$wow64/dlls" "$wow64/libwine-i386.version"
  dpkg-deb -x "$package" "$download/unpacked"
  mv "$download/unpacked" "$wow64/libwine-i386"
  rm -rf "$download"
  mkdir -p "$wow64/dlls"
  ln -s ../libwine-i386/usr/lib/i386-linux-gnu/wine/i386-windows "$wow64/dlls/i386-windows"
  ln -s /usr/lib/x86_64-linux-gnu/wine/x86_64-unix "$wow64/dlls/x86_64-unix"
  echo "$version" >"$wow64/libwine-i386.version"
  if ! wow64_ready "$version"; then
    echo "setup: $wow64 is incomplete after unpacking libwine:i386 $version" >&2
    exit 1
  fi
}

# Probes the routes in their order and writes the decision (route.sh).
# The classic route needs the i386 tree (debootstrap makes it); WoW64 mode
# needs Wine's 32-bit DLLs, which are also what its probe runs on.  A
# route that cannot be prepared counts as not working: the decision says
# why, and the next route is tried.
decide_i686_route() {
  local i386 classic=untried wow64_mode=untried decision
  i386="$(probe_i386_programs)"
  build_probe32
  if [ "$i386" = native ]; then
    install_packages debootstrap
    if prepare_i386_tree; then
      classic="$(probe_route classic)"
    else
      classic="failed:the i386 tree could not be prepared"
    fi
  fi
  if [ "$classic" != works ]; then
    prepare_wow64
    wow64_mode="$(probe_route wow64)"
  fi
  decision="$(decide_route "$i386" "$classic" "$wow64_mode")"
  printf '%s\n' "$decision" >"$route_file"
  echo "setup: 32-bit route: $(sed -n 2p "$route_file")"
}

# Makes the Japanese UTF-8 locale where it is missing.
prepare_locales() {
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8' && return 0
  echo "setup: making the locale ja_JP.UTF-8"
  need_root "making the locale ja_JP.UTF-8"
  localedef -i ja_JP -c -f UTF-8 ja_JP.UTF-8 || { echo "setup: could not make the locale ja_JP.UTF-8" >&2; exit 1; }
}

install_packages
prepare_locales
decide_i686_route
