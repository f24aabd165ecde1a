#!/usr/bin/env bash
# Builds the tool and runs every test:
#   1. the native build's tests, and a smoke run of the benchmarks,
#   2. the same tests with AddressSanitizer and UndefinedBehaviorSanitizer,
#   3. the Windows builds' tests under Wine, the shipped programs among them
#      over boards written into Wine's registry: the 64-bit build, and,
#      where this kernel runs 32-bit programs, the 32-bit build that is
#      released, in a 64-bit prefix (WoW64) and in a 32-bit one,
#   4. static analysis (clang-format, clang-tidy, cppcheck),
#   5. the release, made twice in two folders: the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ensure-packages.sh
ensure_packages cmake g++ make binutils googletest libbenchmark-dev unzip \
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 \
  clang-format clang-tidy cppcheck

jobs=$(nproc)

build_and_test() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j"$jobs"
  ctest --preset "$1" -j"$jobs"
}

# Whether this kernel runs 32-bit x86 Linux programs, asked of the kernel:
# a tiny one, made with binutils, must end with its own status. 32-bit Wine
# needs them, and where the kernel has none, installing it breaks 64-bit Wine.
kernel_runs_32bit() {
  local dir status=0
  dir=$(mktemp -d)
  printf '.globl _start\n_start:\nmovl $1, %%eax\nmovl $42, %%ebx\nint $0x80\n' >"$dir/exit42.s"
  as --32 -o "$dir/exit42.o" "$dir/exit42.s"
  ld -m elf_i386 -o "$dir/exit42" "$dir/exit42.o"
  "$dir/exit42" 2>/dev/null || status=$?
  rm -rf "$dir"
  [ "$status" = 42 ]
}

# Starts the Wine prefix $1 of this build's own (a first start takes seconds)
# and keeps it running; $2 is win32 for a 32-bit prefix. A 64-bit prefix made
# before 32-bit Wine was installed starts no program since: it is made anew.
start_prefix() {
  export WINEPREFIX="$PWD/$1"
  if [ "$2" = win64 ] && [ -n "$wine32" ] &&
    [ ! -e "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    rm -rf "$WINEPREFIX"
  fi
  [ -d "$WINEPREFIX/drive_c" ] || WINEARCH=$2 wineboot -i >/dev/null 2>&1 || true
  [ -d "$WINEPREFIX/drive_c" ] || { echo "wineboot could not create $WINEPREFIX" >&2; exit 1; }
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

# A 32-bit program under a Wine that cannot run it prints nothing and ends
# with status 0: the suite must show that it ran.
expect_32bit_runs() {
  wine build/windows-x86/tests/trv_tests.exe --gtest_list_tests </dev/null 2>&1 |
    grep -q 'KeepsEveryPromise' ||
    { echo "Wine in $WINEPREFIX ran no 32-bit program" >&2; exit 1; }
}

wine32=""
if kernel_runs_32bit; then
  wine32=yes
  ensure_packages wine32:i386
fi

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

echo "== 3. Windows builds, tests under Wine"
export WINEDEBUG=-all
trap 'for p in build/wine-prefix build/wine-prefix-x86; do WINEPREFIX="$PWD/$p" wineserver -k 2>/dev/null || true; done' EXIT
start_prefix build/wine-prefix win64
echo "-- 64-bit build"
build_and_test windows
if [ -n "$wine32" ]; then
  echo "-- 32-bit build, as released, in the 64-bit prefix (WoW64)"
  cmake --preset windows-x86 >/dev/null
  cmake --build --preset windows-x86 -j"$jobs"
  expect_32bit_runs
  ctest --preset windows-x86 -j"$jobs"
  echo "-- 32-bit build in a 32-bit prefix: the shipped programs over plugged boards"
  start_prefix build/wine-prefix-x86 win32
  expect_32bit_runs
  out=$(wine build/windows-x86/tests/trv_tests.exe \
    --gtest_filter='*ShippedProgramsOverPluggedBoards' </dev/null 2>&1) ||
    { echo "$out"; exit 1; }
  grep -qxF '[  PASSED  ] 1 test.' <<<"$(tr -d '\r' <<<"$out")" || { echo "$out"; exit 1; }
  echo "32-bit prefix: the shipped programs passed"
  export WINEPREFIX="$PWD/build/wine-prefix"
else
  cmake --preset windows-x86 >/dev/null
  cmake --build --preset windows-x86 -j"$jobs"
  echo "not run: the 32-bit Windows build's tests (built only): this kernel runs no 32-bit Linux program, so 32-bit Wine cannot start"
fi

echo "== 4. Static analysis"
bash tools/analyze.sh

echo "== 5. Release, made twice"
bash tools/release.sh build/release
sleep 1  # a second apart: no time of the build may reach the files
bash tools/release.sh build/release-again
cmp build/release/SHA256SUMS.txt build/release-again/SHA256SUMS.txt
echo "release: the same bytes twice"
