#!/usr/bin/env bash
# Makes the two release files of the 32-bit gen_Kestrune.dll, named with
# the project's version (CMakeLists.txt), into build/release/ (or
# $BUILD_DIR-release with BUILD_DIR set):
#   gen_Kestrune-<version>-setup.exe  the setup program (installer/gen_Kestrune.nsi)
#   gen_Kestrune-<version>.zip        the DLL, docs/user-guide.md with its
#                                     screenshots, the licence and
#                                     docs/README-install.txt
# It builds the DLL as scripts/test.sh does, then the release target of
# its build (cmake/release.cmake), and checks both files' contents.
#
#   bash scripts/release.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

prepare_build
release="${dll_build%dll}release"
build_dll >/dev/null
cmake -B "$dll_build" -DKESTRUNE_RELEASE_DIR="$release" >/dev/null
cmake --build "$dll_build" --target release

dll="$dll_build/gen_Kestrune.dll"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dll_build/CMakeCache.txt")"
setup="$release/gen_Kestrune-$version-setup.exe"
zip="$release/gen_Kestrune-$version.zip"
bash scripts/check-setup.sh "$setup" "$dll"
7z l -ba "$zip"
7z e -so "$zip" gen_Kestrune.dll | cmp - "$dll"

echo "== release files"
echo "$dll: $(stat -c %s "$dll") bytes"
for file in "$setup" "$zip"; do
  echo "$file: $(stat -c %s "$file") bytes"
done
