#!/usr/bin/env bash
# Boots the Wine prefix WINEPREFIX (creating it when new) and sets what the
# tests need, all output to /dev/null (Wine's background processes inherit
# it and must not hold a caller's pipes):
#  - top-level windows unmanaged: without a window manager, destroying or
#    hiding a shown window would otherwise block for about two seconds;
#  - no crash dialog: a crashing test program prints Wine's backtrace and
#    ends with a failure code instead of waiting for a click in Xvfb;
#  - Wine's own fonts (Debian's fonts-wine) in the prefix's Fonts folder,
#    where this Wine looks for them: MS Sans Serif and Tahoma for dialogs,
#    and Marlett, which draws the caption buttons (without it a close box
#    shows the letter "r").
# A prefix for the i686 programs in WoW64 mode is made with WINEDLLPATH
# naming Wine's 32-bit DLLs (tests/wine-run.sh --i686, scripts/common.sh):
# its first boot installs them.  Inside the i386 tree the prefix is a
# 32-bit one for classic Wine (tests/wine-env.sh).
set -u
: "${WINEPREFIX:?WINEPREFIX must be set}"
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
export WINEARCH=$wine_arch WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml="

mkdir -p "$WINEPREFIX"
"$wine" wineboot -i >/dev/null 2>&1 </dev/null
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null
if [ -d /usr/share/wine/fonts ]; then
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -u /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi
