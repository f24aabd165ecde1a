#!/usr/bin/env bash
# Makes the Windows release from a clean build folder:
#   <out>/trv_setup-<version>-win64.zip  trv_setup.exe and trv_boards.exe
#                                        (stripped) and README.txt (UTF-8
#                                        with a byte-order mark)
#   <out>/trv_setup.exe, trv_boards.exe  the same files, to check a download
#   <out>/SHA256SUMS                     the checksums of all three
# <out> is build/release unless given. With "x86" after it, the same of the
# 32-bit programs (trv_setup-<version>-win32.zip), which are built and checked
# but not released: no machine of ours runs 32-bit Windows programs yet.
# The same commit gives the same bytes
# in any folder at any time: file times are the commit's time. No zip is made
# of a program that imports more than Windows system DLLs or lacks its
# version resource or manifest.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ensure-packages.sh
programs=(trv_setup trv_boards)
out=$(realpath -m "${1:-build/release}")
case "${2:-x64}" in
  x64) cpu=x86_64 format=pei-x86-64 ;;
  x86) cpu=i686 format=pei-i386 ;;
  *) echo "release: the processor is x64 or x86, not $2" >&2; exit 1 ;;
esac
ensure_packages cmake make "g++-mingw-w64-${cpu//_/-}-posix"
work="$out/build"
rm -rf "$out"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
cmake -S . -B "$work" --toolchain "cmake/mingw-w64-$cpu.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DTRV_BUILD_TESTS=OFF >/dev/null
cmake --build "$work" -j"$(nproc)" --target "${programs[@]}" >/dev/null

# A program is of its processor, self-contained, and carries its version
# resource and manifest.
check_program() {
  local name=$1 exe="$work/$1.exe" dll resources want
  "$cpu-w64-mingw32-objdump" -f "$exe" | grep -q "file format $format\$" ||
    { echo "release: $name.exe is not $format" >&2; return 1; }
  while read -r dll; do
    case "${dll,,}" in
      kernel32.dll | msvcrt.dll | setupapi.dll | hid.dll | shell32.dll | advapi32.dll | user32.dll) ;;
      *) echo "release: $name.exe imports $dll" >&2; return 1 ;;
    esac
  done < <("$cpu-w64-mingw32-objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
  resources=$("$cpu-w64-mingw32-windres" -i "$exe" -O rc)
  for want in 'FILEVERSION 1, 0, 0, 0' '"FileVersion", "1.0.0.0"' \
    "\"OriginalFilename\", \"$name.exe\"" 'level=""asInvoker""' \
    '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' '>UTF-8</activeCodePage>'; do
    grep -qF -- "$want" <<<"$resources" || { echo "release: $name.exe has no $want" >&2; return 1; }
  done
}
for name in "${programs[@]}"; do check_program "$name"; done

# A byte-order mark first, so that the Notepad of Windows 7 and 8 reads the
# README as UTF-8, not as the ANSI code page.
printf '\xEF\xBB\xBF' | cat - "$work/README.txt" >"$work/README.bom" &&
  mv "$work/README.bom" "$work/README.txt"
# The zip takes each file's time from the build folder.
touch -d "@$SOURCE_DATE_EPOCH" "$work/README.txt"
for name in "${programs[@]}"; do touch -d "@$SOURCE_DATE_EPOCH" "$work/$name.exe"; done
(cd "$work" && cpack -B "$out" >/dev/null)
for name in "${programs[@]}"; do cp -p "$work/$name.exe" "$out/"; done
rm -rf "$work" "$out/_CPack_Packages"
(cd "$out" && sha256sum -- *.zip *.exe >SHA256SUMS && cat SHA256SUMS)
