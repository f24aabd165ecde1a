#!/usr/bin/env bash
# Builds the tool and runs every test:
#   1. the native build's tests,
#   2. the same tests with AddressSanitizer and UndefinedBehaviorSanitizer,
#   3. the Windows build's tests under Wine,
#   4. the fuzz target for a bounded time,
#   5. static analysis (clang-format, clang-tidy, cppcheck),
#   6. the Windows release, made twice in two folders: the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ensure-packages.sh
ensure_packages cmake g++ make googletest libbenchmark-dev strace acl \
  g++-mingw-w64-x86-64-posix wine wine64 \
  clang libclang-rt-14-dev clang-format clang-tidy cppcheck

jobs=$(nproc)
fuzz_seconds=${TRV_FUZZ_SECONDS:-60}

build_and_test() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j"$jobs"
  ctest --preset "$1" -j"$jobs"
}

echo "== 1. Linux build"
build_and_test default

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

echo "== 4. Fuzzing, ${fuzz_seconds} s"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs"
found=$(mktemp -d)  # new inputs stay out of the committed corpus
log=build/fuzz/fuzz_tool.log
if build/fuzz/fuzz/fuzz_tool -max_total_time="$fuzz_seconds" -max_len=4096 \
  "$found" fuzz/corpus/tool >"$log" 2>&1; then
  echo "fuzz_tool: $(grep -E '^Done' "$log")"
else
  tail -n 40 "$log"
  echo "fuzz_tool: FAILED (log: $log)"
  exit 1
fi
rm -rf "$found"

echo "== 5. Static analysis"
bash tools/analyze.sh

echo "== 6. Windows release, made twice"
bash tools/release.sh build/release
sleep 1  # a second apart: no time of the build may reach the files
bash tools/release.sh build/release-again
cmp build/release/SHA256SUMS build/release-again/SHA256SUMS
echo "release: the same bytes twice"
