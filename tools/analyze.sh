#!/usr/bin/env bash
# Static analysis: clang-format, clang-tidy (.clang-tidy) and cppcheck
# (tools/cppcheck-suppressions.txt) over the sources; any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ensure-packages.sh
ensure_packages cmake g++ make clang-format clang-tidy cppcheck

git ls-files '*.cc' '*.h' | xargs clang-format --dry-run -Werror
[ -f build/native/compile_commands.json ] || cmake --preset default >/dev/null
# The Windows backend is checked by cppcheck and by the cross build's warnings.
git ls-files 'src/*.cc' | grep -v _win32 | xargs clang-tidy -p build/native --quiet 2>/dev/null
cppcheck --std=c++17 --language=c++ --enable=warning,style,performance,portability \
  --inline-suppr --suppressions-list=tools/cppcheck-suppressions.txt --error-exitcode=1 \
  --quiet -I src src
echo "static analysis: clean"
