#!/usr/bin/env bash
# Makes the release from a clean build folder, of the 32-bit x86 programs,
# which run on every Windows PC (32-bit, 64-bit through WoW64, and ARM
# through its x86 emulation):
#   <out>/trv_setup-<version>-windows.zip  trv_setup.exe and trv_boards.exe
#                                          (stripped) and README.txt
#   <out>/trv_setup.exe, trv_boards.exe    the same files, to check a download
#   <out>/SHA256SUMS.txt                   the checksums of all three
# <out> is build/release unless given. The same commit gives the same bytes
# in any folder at any time: file times are the commit's time. No zip is
# made of a program that is not 32-bit, imports more than Windows system
# DLLs or lacks its version resource or manifest, nor with a README.txt that
# Notepad would not show as it is meant. These are checks of the release,
# not tests.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ensure-packages.sh
ensure_packages cmake make unzip g++-mingw-w64-i686-posix
programs=(trv_setup trv_boards)
out=$(realpath -m "${1:-build/release}")
work="$out/build"
rm -rf "$out"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
cmake -S . -B "$work" --toolchain cmake/mingw-w64-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release -DTRV_BUILD_TESTS=OFF >/dev/null
cmake --build "$work" -j"$(nproc)" --target "${programs[@]}" >/dev/null
fail() { echo "release: $*" >&2; exit 1; }

# A program is 32-bit, self-contained, and carries its version resource and
# manifest.
check_program() {
  local name=$1 exe="$work/$1.exe" dll resources want
  i686-w64-mingw32-objdump -f "$exe" | grep -q 'file format pei-i386$' ||
    fail "$name.exe is not PE32 (pei-i386)"
  while read -r dll; do
    case "${dll,,}" in
      kernel32.dll | msvcrt.dll | setupapi.dll | hid.dll | shell32.dll | advapi32.dll | user32.dll) ;;
      *) fail "$name.exe imports $dll" ;;
    esac
  done < <(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
  resources=$(i686-w64-mingw32-windres -i "$exe" -O rc)
  for want in 'FILEVERSION 1, 0, 0, 0' '"FileVersion", "1.0.0.0"' \
    "\"OriginalFilename\", \"$name.exe\"" 'level=""asInvoker""' \
    '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' '>UTF-8</activeCodePage>'; do
    grep -qF -- "$want" <<<"$resources" || fail "$name.exe has no $want"
  done
}
for name in "${programs[@]}"; do check_program "$name"; done

# Text that every Notepad shows as it is meant: every line ending in CR LF
# (Notepad before Windows 10 shows LF alone as nothing), at most 78
# characters, ASCII only (no code page can show it wrong).
check_text() {
  local file=$1
  [ "$(LC_ALL=C grep -c $'\r$' "$file")" = "$(wc -l <"$file")" ] &&
    [ -z "$(tail -c 1 "$file" | tr -d '\n')" ] || fail "$(basename "$file") has a line without CR LF"
  LC_ALL=C grep -q '[^[:print:][:space:]]' "$file" && fail "$(basename "$file") is not ASCII"
  return 0
}
readme="$work/README.txt"
check_text "$readme"
LC_ALL=C grep -qE $'^.{79,}\r$' "$readme" && fail "README.txt has a line over 78 characters"
# Markdown marks would be shown as they are.
LC_ALL=C grep -qE '^#|\*\*|`|^ *[*+] |\]\(' "$readme" && fail "README.txt holds Markdown marks"

# The zip takes each file's time from the build folder.
touch -d "@$SOURCE_DATE_EPOCH" "$readme"
for name in "${programs[@]}"; do touch -d "@$SOURCE_DATE_EPOCH" "$work/$name.exe"; done
(cd "$work" && cpack -B "$out" >/dev/null)
for name in "${programs[@]}"; do cp -p "$work/$name.exe" "$out/"; done
rm -rf "$work" "$out/_CPack_Packages"
zip=$(cd "$out" && ls -- *.zip)
[ "$(unzip -Z1 "$out/$zip" | sort | tr '\n' ' ')" = "README.txt trv_boards.exe trv_setup.exe " ] ||
  fail "$zip holds $(unzip -Z1 "$out/$zip" | tr '\n' ' ')"
(cd "$out" && sha256sum -- "$zip" *.exe | sed 's/$/\r/' >SHA256SUMS.txt && tr -d '\r' <SHA256SUMS.txt)
check_text "$out/SHA256SUMS.txt"
