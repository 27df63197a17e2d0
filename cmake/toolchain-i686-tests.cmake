# The i686 test configuration: the stand-in player, the rig and the tests
# built for 32-bit Windows, run under Wine by the machine's 32-bit route
# (scripts/route.sh: classic 32-bit Wine or wine64's WoW64 mode).  Its
# end-to-end tests load the shipped DLL built by the dll preset, not a DLL of
# their own.  The shipped DLL's toolchain, but with the posix thread model,
# the one GoogleTest compiles with.
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine-run.sh --i686)
