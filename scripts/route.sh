# How this machine runs 32-bit (i686) Windows programs: one probe and one
# decision, shared by scripts/setup.sh (which prepares the route), and by
# scripts/test.sh and scripts/demo.sh (which take it).  Sourced, never run;
# sourcing defines functions and names only.
#
# Machines of this project's kind differ in what 32-bit x86 code they run:
#   (a) the kernel runs i386 Linux programs: classic 32-bit Wine in a small
#       i386 Debian tree runs the i686 programs with full drawing;
#   (b) i386 programs are refused, but wine64's WoW64 mode runs i686
#       Windows programs (without device contexts, see README);
#   (c) no 32-bit code runs at all: i386 programs are refused and every
#       32-bit program dies as it starts in WoW64 mode.
# The probe, in this order: (1) a tiny i386 program run by the kernel
# itself (one that only runs through an emulator registered in binfmt_misc
# does not count: Wine under CPU emulation is far too slow), then a tiny
# i686 console program under classic Wine in the tree; (2) else the same
# program under WoW64 mode; (3) else there is no 32-bit route.  Each step
# is tried only where the one before did not give a route, and a route is
# taken only once its probe program ran and printed what it should.
#
# The decision is written to build/route/i686 (two lines: the route,
# "classic", "wow64" or "none", and the summary line that says why), which
# scripts/test.sh and scripts/demo.sh read.
#
# Files, all in the checkout's build/ folder whatever BUILD_DIR says:
#   build/route/           the probe programs, their Wine prefixes, the decision
#   build/i386-tree/       the i386 Debian tree of the classic route (kind a)
#   build/wow64/           Wine's 32-bit DLLs for WoW64 mode (see setup.sh)

: "${root:?route.sh needs root, the root of the repository}"
route_dir="$root/build/route"
i386_tree="$root/build/i386-tree"
route_file="$route_dir/i686"
wow64_dlls="$root/build/wow64/dlls"

# 96 bytes: an i386 ELF program whose only instructions are exit(42).
i386_probe_elf=f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAAAAAAAAAAAAADQAIAABAAAAAAAAAAEAAAAAAAAAAIAECACABAhgAAAAYAAAAAUAAAAAEAAAuAEAAAC7KgAAAM2A
# What the i686 console probe prints: its pointer size shows it is 32-bit code.
probe32_says="kestrune i686 probe: 4-byte pointers"

# The interpreter of an enabled binfmt_misc entry that takes i386 ELF
# programs (an emulator such as qemu-i386), or nothing.
i386_emulator() {
  local entry magic
  [ "$(cat /proc/sys/fs/binfmt_misc/status 2>/dev/null)" = enabled ] || return 0
  for entry in /proc/sys/fs/binfmt_misc/*; do
    case "${entry##*/}" in register | status) continue ;; esac
    [ "$(head -n 1 "$entry" 2>/dev/null)" = enabled ] || continue
    magic="$(sed -n 's/^magic //p' "$entry")"
    # ELF, 32-bit class (bytes 0-4) and machine EM_386 (bytes 18-19).
    if [ "${magic:0:10}" = 7f454c4601 ] && [ "${magic:36:4}" = 0300 ]; then
      sed -n 's/^interpreter //p' "$entry"
      return 0
    fi
  done
}

# Prints "native", "emulated:<interpreter>" or "refused:<what happened>".
probe_i386_programs() {
  local program="$route_dir/exit42" output code emulator
  mkdir -p "$route_dir"
  echo "$i386_probe_elf" | base64 -d >"$program"
  chmod +x "$program"
  output="$("$program" 2>&1)" && code=0 || code=$?
  if [ "$code" -ne 42 ]; then
    case "$output" in
      *"Exec format error"*) echo "refused:Exec format error" ;;
      *) echo "refused:exit code $code${output:+ (${output##*: })}" ;;
    esac
    return 0
  fi
  emulator="$(i386_emulator)"
  if [ -n "$emulator" ]; then echo "emulated:$emulator"; else echo native; fi
}

# Builds the i686 console probe (build/route/probe32.exe) with the
# shipped DLL's compiler.
build_probe32() {
  mkdir -p "$route_dir"
  printf '#include <stdio.h>\nint main(void)\n{\n    printf("kestrune i686 probe: %%u-byte pointers\\n", (unsigned)sizeof(void *));\n    return 0;\n}\n' |
    i686-w64-mingw32-gcc-win32 -Os -s -x c -o "$route_dir/probe32.exe" -
}

# Runs the probe program by a route ("classic" or "wow64") and prints
# "works" or "failed:<what happened>".  Its output goes to a file, not a
# pipe: Wine's background processes would hold a pipe open.  What the
# probe started in its prefix is stopped in the same mount namespace
# (the classic route's server lives in the tree's own /tmp).  Wine's
# message for a program that could not start is the one kind (c)
# machines print.
probe_route() {
  local exe="$route_dir/probe32.exe" out="$route_dir/probe-$1.out" code=0 output
  case "$1" in
    classic)
      run_in_i386_tree /bin/bash -c '
        WINEARCH=win32 WINEPREFIX="$3" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
          timeout 300 /usr/lib/wine/wine "$1" >"$2" 2>&1 </dev/null && code=0 || code=$?
        WINEPREFIX="$3" /usr/lib/wine/wineserver32 -k >/dev/null 2>&1 </dev/null
        exit "$code"' probe "$exe" "$out" "$route_dir/classic-prefix" || code=$?
      ;;
    wow64)
      WINEARCH=win64 WINEPREFIX="$route_dir/wow64-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        WINEDLLPATH="$wow64_dlls" timeout 300 /usr/lib/wine/wine64 "$exe" >"$out" 2>&1 </dev/null || code=$?
      WINEPREFIX="$route_dir/wow64-prefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 </dev/null
      ;;
  esac
  output="$(tr -d '\r' <"$out" 2>/dev/null)"
  if [ "$code" -eq 0 ] && printf '%s\n' "$output" | grep -qxF "$probe32_says"; then
    echo works
  elif [ "$code" -eq 124 ]; then
    echo "failed:the program did not end within 300 s"
  elif printf '%s' "$output" | grep -q "Application could not be started"; then
    echo "failed:the program died as it started"
  else
    echo "failed:exit code $code, printed \"$(printf '%s' "$output" | head -n 1)\""
  fi
}

# ---- the decision --------------------------------------------------------

# decide_route <i386 programs> <classic Wine> <WoW64 mode>
# The probes' results in (probe_i386_programs; "works", "failed:<why>" or
# "untried" for the other two), the route and the summary line out, one
# line each.  Nothing else: the table test (tests/route_test.sh) calls it.
decide_route() {
  local i386="$1" classic="$2" wow64="$3" why_not_classic
  case "$i386" in
    native) why_not_classic="classic 32-bit Wine in the i386 tree: ${classic#failed:}" ;;
    emulated:*) why_not_classic="i386 programs: only through the emulator ${i386#emulated:}" ;;
    *) why_not_classic="i386 programs: ${i386#refused:}" ;;
  esac
  if [ "$i386" = native ] && [ "$classic" = works ]; then
    echo classic
    echo "i686: classic 32-bit Wine in an i386 Debian tree (this machine runs i386 programs): full drawing, the shipped DLL"
  elif [ "$wow64" = works ]; then
    echo wow64
    echo "i686: wine64's WoW64 mode ($why_not_classic): no device contexts, so the checks that need them skip with their reason"
  elif [ "$i386" = native ]; then
    echo none
    echo "i686: NOT RUN - no 32-bit route works on this machine ($why_not_classic; WoW64 mode: ${wow64#failed:})"
  else
    echo none
    echo "i686: NOT RUN - this machine runs no 32-bit code ($why_not_classic; WoW64 mode: ${wow64#failed:})"
  fi
}

# The route decided last (build/route/i686): sets i686_route and
# i686_summary; "none" with its reason when setup has not decided yet.
read_route() {
  i686_route=none
  i686_summary="i686: NOT RUN - no 32-bit route was decided (run scripts/setup.sh)"
  [ -f "$route_file" ] || return 0
  { read -r i686_route && read -r i686_summary; } <"$route_file" || true
}

# ---- the i386 tree of the classic route ----------------------------------

# Runs a command inside the i386 tree as root, in a mount namespace of its
# own: proc, the host's /dev and /sys, a fresh /tmp, and the checkout (and
# each further folder named in KESTRUNE_TREE_BINDS, separated by ":") at
# the same paths as outside, so that build trees, Wine prefixes and
# scripts keep their names; the command starts in the caller's folder
# (or / when that is not in the tree).  The mounts end with the namespace, whatever
# happens, so nothing outside ever sees them (and removing build/ never
# reaches through them).
#   run_in_i386_tree <command> [arguments...]
run_in_i386_tree() {
  local binds="$root${KESTRUNE_TREE_BINDS:+:$KESTRUNE_TREE_BINDS}"
  unshare --mount --propagation private /bin/bash -c '
    set -e
    tree="$1" binds="$2"
    shift 2
    mount -t proc proc "$tree/proc"
    mount --rbind /dev "$tree/dev"
    mount --rbind /sys "$tree/sys" || true
    mount -t tmpfs tmpfs "$tree/tmp"
    IFS=: read -r -a folders <<<"$binds"
    for folder in "${folders[@]}"; do
      [ -d "$folder" ] || continue
      mkdir -p "$tree$folder"
      mount --bind "$folder" "$tree$folder"
    done
    exec chroot "$tree" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin HOME=/root \
      LANG=C.UTF-8 TERM="${TERM:-dumb}" /bin/sh -c '"'"'cd "$0" 2>/dev/null || cd /; exec "$@"'"'"' "$PWD" "$@"
  ' route-tree "$i386_tree" "$binds" "$@"
}

# The packages the tree needs: classic 32-bit Wine and its fonts, a
# virtual X display, ctest (the i686 suite runs whole inside the tree), and
# the locales, of which the Japanese one is made (tests run under it too).
i386_tree_packages=(wine wine32 xvfb xauth fonts-wine cmake locales)

# True when the tree is complete (its last step writes the stamp).
i386_tree_ready() {
  [ "$(cat "$i386_tree/.kestrune-packages" 2>/dev/null)" = "${i386_tree_packages[*]}" ] &&
    [ -x "$i386_tree/usr/lib/wine/wine" ]
}

# The Debian mirror apt uses for bookworm.
debian_mirror() {
  local mirror
  mirror="$(apt-get indextargets --format '$(RELEASE) $(REPO_URI)' 2>/dev/null | awk '$1 == "bookworm" { print $2; exit }')"
  echo "${mirror:-http://deb.debian.org/debian/}"
}

# Makes build/i386-tree: a minimal i386 Debian 12 with classic 32-bit Wine
# (about a minute, once per checkout).  Returns non-zero, saying why, when
# it cannot.
prepare_i386_tree() {
  i386_tree_ready && return 0
  echo "setup: preparing $i386_tree: an i386 Debian 12 tree with classic 32-bit Wine"
  rm -rf "$i386_tree"
  mkdir -p "$i386_tree"
  if ! debootstrap --arch=i386 --variant=minbase bookworm "$i386_tree" "$(debian_mirror)" >"$route_dir/debootstrap.log" 2>&1; then
    echo "setup: debootstrap of the i386 tree failed (see $route_dir/debootstrap.log)" >&2
    return 1
  fi
  cp /etc/resolv.conf "$i386_tree/etc/resolv.conf"
  if ! run_in_i386_tree /bin/bash -c 'export DEBIAN_FRONTEND=noninteractive
      apt-get update -qq && apt-get install -y -qq --no-install-recommends "$@" && apt-get clean &&
      localedef -i ja_JP -c -f UTF-8 ja_JP.UTF-8' \
      packages "${i386_tree_packages[@]}" >"$route_dir/i386-tree-packages.log" 2>&1; then
    echo "setup: installing Wine in the i386 tree failed (see $route_dir/i386-tree-packages.log)" >&2
    return 1
  fi
  echo "${i386_tree_packages[*]}" >"$i386_tree/.kestrune-packages"
}
