#!/usr/bin/env bash
# Checks a setup program of the 32-bit DLL by listing its contents with 7z
# (Debian's p7zip-full), natively: it must carry gen_Kestrune.dll into the
# Plugins folder, byte for byte the given DLL, and besides it only the
# uninstaller it writes, the documents of Plugins/Kestrune (readme.txt,
# CHANGES.txt, user-guide.html and its screenshots) and NSIS's own files of
# $PLUGINSDIR.  Run by ctest
# (ReleaseSetup.HoldsOnlyTheShippedDll) and by scripts/release.sh.
#
#   scripts/check-setup.sh <setup program> <gen_Kestrune.dll>
set -uo pipefail

setup="$1" dll="$2"
dlls=0 docs=0 failed=0
while IFS= read -r path; do
  case "$path" in
    'Plugins/gen_Kestrune.dll') dlls=$((dlls + 1)) ;;
    'Plugins/uninstall-gen_Kestrune.exe' | '$PLUGINSDIR/'*) ;;
    'Plugins/Kestrune/readme.txt' | 'Plugins/Kestrune/CHANGES.txt' | 'Plugins/Kestrune/user-guide.html') docs=$((docs + 1)) ;;
    'Plugins/Kestrune/screenshots/'*.png) ;;
    *) echo "check-setup: $setup holds an unexpected file: $path"; failed=1 ;;
  esac
done < <(7z l -slt -ba "$setup" | sed -n 's/^Path = //p')

if [ "$dlls" -ne 1 ]; then
  echo "check-setup: $setup holds Plugins/gen_Kestrune.dll $dlls times, not once"
  exit 1
fi
if [ "$docs" -ne 3 ]; then
  echo "check-setup: $setup holds $docs of the three documents of Plugins/Kestrune"
  failed=1
fi
if ! 7z e -so "$setup" Plugins/gen_Kestrune.dll | cmp -s - "$dll"; then
  echo "check-setup: the gen_Kestrune.dll in $setup is not $dll"
  failed=1
fi
[ "$failed" -eq 0 ] && echo "check-setup: $setup holds $dll, the uninstaller and the documents only"
exit "$failed"
