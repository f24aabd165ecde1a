#!/usr/bin/env bash
# Builds the tool and runs every test:
#   1. the native build's tests, and a smoke run of the benchmarks,
#   2. the same tests with AddressSanitizer and UndefinedBehaviorSanitizer,
#   3. the Windows build's tests under Wine, the shipped programs among them
#      over boards written into Wine's registry,
#   4. static analysis (clang-format, clang-tidy, cppcheck),
#   5. the Windows release, made twice in two folders: the same bytes,
#   6. the 32-bit Windows programs, built and checked as a release is.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ensure-packages.sh
ensure_packages cmake g++ make googletest libbenchmark-dev strace acl \
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 \
  clang-format clang-tidy cppcheck

jobs=$(nproc)

build_and_test() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j"$jobs"
  ctest --preset "$1" -j"$jobs"
}

echo "== 1. Linux build"
build_and_test default
# The benchmarks, built and run once each, briefly: a smoke run, not a timing.
cmake --build --preset default -j"$jobs" --target trv_benchmark trv_hello trv_hello_static
build/native/bench/trv_benchmark --benchmark_min_time=0.001 >/dev/null
build/native/bench/trv_hello >/dev/null
build/native/bench/trv_hello_static >/dev/null
echo "benchmarks: each ran once"

echo "== 2. Linux build with sanitizers"
build_and_test asan

echo "== 3. Windows build, tests under Wine"
# A Wine prefix of the build's own, started once and kept running for the
# whole test run (a first start takes seconds).
export WINEPREFIX="$PWD/build/wine-prefix" WINEDEBUG=-all
[ -d "$WINEPREFIX/drive_c" ] || wineboot -i >/dev/null 2>&1 || true
[ -d "$WINEPREFIX/drive_c" ] || { echo "wineboot could not create $WINEPREFIX" >&2; exit 1; }
wineserver -p 2>/dev/null || true  # already running after wineboot
trap 'wineserver -k 2>/dev/null || true' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1
build_and_test windows

echo "== 4. Static analysis"
bash tools/analyze.sh

echo "== 5. Windows release, made twice"
bash tools/release.sh build/release
sleep 1  # a second apart: no time of the build may reach the files
bash tools/release.sh build/release-again
cmp build/release/SHA256SUMS build/release-again/SHA256SUMS
echo "release: the same bytes twice"

echo "== 6. 32-bit Windows programs, built and checked"
# Not run: 32-bit Wine needs a kernel that runs 32-bit Linux programs, and
# this machine's does not ("Exec format error").
bash tools/release.sh build/release-x86 x86
