#!/usr/bin/env bash
# Makes the Windows release from a clean build folder:
#   <out>/trv_setup-<version>-win64.zip  trv_setup.exe (stripped) and README.txt
#   <out>/trv_setup.exe                  the same file, to check a download
#   <out>/SHA256SUMS                     the checksums of both
# <out> is build/release unless given. The same commit gives the same bytes
# in any folder at any time: file times are the commit's time.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ensure-packages.sh
ensure_packages cmake make g++-mingw-w64-x86-64-posix

out=$(realpath -m "${1:-build/release}")
work="$out/build"
rm -rf "$out"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
cmake -S . -B "$work" --toolchain cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DTRV_BUILD_TESTS=OFF >/dev/null
cmake --build "$work" -j"$(nproc)" --target trv_setup >/dev/null
# The zip takes each file's time from the build folder.
touch -d "@$SOURCE_DATE_EPOCH" "$work/trv_setup.exe" "$work/README.txt"
(cd "$work" && cpack -B "$out" >/dev/null)
cp -p "$work/trv_setup.exe" "$out/"
rm -rf "$work" "$out/_CPack_Packages"
(cd "$out" && sha256sum -- *.zip trv_setup.exe >SHA256SUMS && cat SHA256SUMS)
