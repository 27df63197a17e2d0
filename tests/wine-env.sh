# Which Wine runs here, for the scripts that start Windows programs
# (tests/wine-run.sh, tests/wine-prefix.sh, scripts/common.sh); sourced.
#
# On the host it is Debian's wine64: x86_64 programs, and i686 ones in its
# WoW64 mode (64-bit prefixes).  Inside the i386 tree of the classic route
# (scripts/route.sh) only classic 32-bit Wine is installed: i686 programs
# with full drawing, in 32-bit prefixes.  What is installed tells which.
if [ -x /usr/lib/wine/wine64 ]; then
  wine=/usr/lib/wine/wine64 wineserver=/usr/lib/wine/wineserver wine_arch=win64 wine_classic=
else
  wine=/usr/lib/wine/wine wineserver=/usr/lib/wine/wineserver32 wine_arch=win32 wine_classic=1
fi
