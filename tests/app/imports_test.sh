#!/usr/bin/env bash
# A Windows executable is self-contained: it imports Windows system DLLs only
# (no libstdc++, libgcc or winpthread DLL to ship beside it).
set -euo pipefail
status=0
for exe in "$@"; do
  while read -r dll; do
    case "${dll,,}" in
      kernel32.dll | msvcrt.dll | setupapi.dll | hid.dll | shell32.dll | advapi32.dll | user32.dll) ;;
      *) echo "$exe imports $dll"; status=1 ;;
    esac
  done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done
exit $status
