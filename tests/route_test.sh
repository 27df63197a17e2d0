#!/usr/bin/env bash
# The 32-bit route's decision (decide_route of scripts/route.sh): probe
# results in, the route and the summary line out.  No machine kind is
# faked: only the decision is called, with the probes' results as text.
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/route.sh"

failures=0
# i386 programs | classic Wine | WoW64 mode | route | summary line
while IFS='|' read -r i386 classic wow64 route line; do
  got="$(decide_route "$i386" "$classic" "$wow64")"
  want="$route"$'\n'"$line"
  if [ "$got" != "$want" ]; then
    printf 'decide_route %q %q %q\n  gave: %s\n  want: %s\n' "$i386" "$classic" "$wow64" "${got//$'\n'/ | }" "${want//$'\n'/ | }"
    failures=$((failures + 1))
  fi
done <<'TABLE'
native|works|untried|classic|i686: classic 32-bit Wine in an i386 Debian tree (this machine runs i386 programs): full drawing, the shipped DLL
native|failed:the i386 tree could not be prepared|works|wow64|i686: wine64's WoW64 mode (classic 32-bit Wine in the i386 tree: the i386 tree could not be prepared): no device contexts, so the checks that need them skip with their reason
refused:Exec format error|untried|works|wow64|i686: wine64's WoW64 mode (i386 programs: Exec format error): no device contexts, so the checks that need them skip with their reason
emulated:/usr/libexec/qemu-binfmt/i386-binfmt-P|untried|works|wow64|i686: wine64's WoW64 mode (i386 programs: only through the emulator /usr/libexec/qemu-binfmt/i386-binfmt-P): no device contexts, so the checks that need them skip with their reason
refused:Exec format error|untried|failed:the program died as it started|none|i686: NOT RUN - this machine runs no 32-bit code (i386 programs: Exec format error; WoW64 mode: the program died as it started)
emulated:/usr/bin/qemu-i386-static|untried|failed:the program died as it started|none|i686: NOT RUN - this machine runs no 32-bit code (i386 programs: only through the emulator /usr/bin/qemu-i386-static; WoW64 mode: the program died as it started)
native|failed:the program did not end within 300 s|failed:exit code 1, printed ""|none|i686: NOT RUN - no 32-bit route works on this machine (classic 32-bit Wine in the i386 tree: the program did not end within 300 s; WoW64 mode: exit code 1, printed "")
TABLE

[ "$failures" -eq 0 ] && echo "route_test: every row decided as expected"
exit $((failures > 0))
