#!/usr/bin/env bash
# Builds the tool for Linux and for Windows and runs every test: the native
# tests, then the same tests of the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ensure-packages.sh
ensure_packages cmake g++ make googletest g++-mingw-w64-x86-64-posix wine wine64

jobs=$(nproc)
echo "== Linux build"
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"

echo "== Windows build, tests under Wine"
# A Wine prefix of the build's own, started once and kept running for the
# whole test run (a first start takes seconds).
export WINEPREFIX="$PWD/build/wine-prefix" WINEDEBUG=-all
[ -d "$WINEPREFIX/drive_c" ] || wineboot -i >/dev/null 2>&1 || true
[ -d "$WINEPREFIX/drive_c" ] || { echo "wineboot could not create $WINEPREFIX" >&2; exit 1; }
wineserver -p 2>/dev/null || true  # already running after wineboot
trap 'wineserver -k 2>/dev/null || true' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs"
ctest --preset windows -j"$jobs"
