#!/usr/bin/env bash
# Makes the two release files of the 32-bit gen_Kestrune.dll, named with
# the project's version (CMakeLists.txt), into build/release/ (or
# $BUILD_DIR-release with BUILD_DIR set):
#   gen_Kestrune-<version>-setup.exe  the setup program (installer/gen_Kestrune.nsi)
#   gen_Kestrune-<version>.zip        the DLL, readme.txt, CHANGES.txt, the
#                                     user guide in HTML with its
#                                     screenshots, and the licence
# First it runs the demo (scripts/demo.sh) and takes its screenshots into
# docs/screenshots/, so that no picture is older than the DLL it ships
# with (docs/screenshots/ABOUT.txt says which run made them). Then it builds
# the release target of the DLL's build (cmake/release.cmake) and checks
# both files' contents.
#
#   bash scripts/release.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

prepare_build
release="${dll_build%dll}release"
echo "== the demo, for the screenshots"
bash scripts/demo.sh
rm -f docs/screenshots/*.png docs/screenshots/ABOUT.txt
cp "$screenshots"/*.png "$screenshots/ABOUT.txt" docs/screenshots/
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
# The documents: readme.txt and CHANGES.txt read in Notepad (CR LF only),
# the readme and the guide name this version, the guide's tables came
# through the Markdown tool.
for text in readme.txt CHANGES.txt; do
  lines="$(7z e -so "$zip" "$text" | wc -l)" crlf="$(7z e -so "$zip" "$text" | grep -c $'\r$' || true)"
  [ "$lines" -gt 0 ] && [ "$lines" -eq "$crlf" ] || { echo "release: $text has $((lines - crlf)) lines without CR LF" >&2; exit 1; }
done
# (Read whole first: grep -q stops reading at the first match.)
readme="$(7z e -so "$zip" readme.txt)" guide="$(7z e -so "$zip" user-guide.html)"
grep -q "Kestrune $version" <<<"$readme" || { echo "release: readme.txt does not name $version" >&2; exit 1; }
grep -q "<title>Kestrune $version user guide</title>" <<<"$guide" ||
  { echo "release: user-guide.html does not name $version" >&2; exit 1; }
grep -q "<table>" <<<"$guide" || { echo "release: user-guide.html has no tables" >&2; exit 1; }
echo "release: readme.txt and CHANGES.txt in CR LF, the readme and the guide of $version"

echo "== release files"
echo "$dll: $(stat -c %s "$dll") bytes"
for file in "$setup" "$zip"; do
  echo "$file: $(stat -c %s "$file") bytes"
done
