#!/usr/bin/env bash
# A Windows executable is self-contained (it imports Windows system DLLs
# only) and carries its version resource and its manifest.
set -euo pipefail
status=0
for exe in "$@"; do
  fail() { echo "$exe: $*"; status=1; }
  while read -r dll; do
    case "${dll,,}" in
      kernel32.dll | msvcrt.dll | setupapi.dll | hid.dll | shell32.dll | advapi32.dll | user32.dll) ;;
      *) fail "imports $dll" ;;
    esac
  done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
  resources=$(x86_64-w64-mingw32-windres -i "$exe" -O rc)
  for want in 'FILEVERSION 1, 0, 0, 0' 'PRODUCTVERSION 1, 0, 0, 0' \
    '"FileVersion", "1.0.0.0"' '"ProductVersion", "1.0.0.0"' '"ProductName", "trv_setup"' \
    '"OriginalFilename", "trv_setup.exe"' '"InternalName", "trv_setup"' \
    '"FileDescription", "Detects Opencockpits USB boards' \
    'level=""asInvoker"" uiAccess=""false""' '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' \
    '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' '>UTF-8</activeCodePage>'; do
    grep -qF -- "$want" <<<"$resources" || fail "has no $want"
  done
done
exit $status
