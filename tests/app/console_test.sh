#!/usr/bin/env bash
# The Windows build in a real console (script gives Wine a terminal), in an
# installation below a folder named Jörg: the console shows the name right in
# the " created." lines, and its output code page (850) is left as it was.
set -euo pipefail
exe=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
setup="$root/Jörg/Vorlancockpit/SIOC/Kesmira/TRV_setup"
mkdir -p "$setup" "$root/Jörg/Vorlancockpit/TRVatc"
printf 'atc.ssi\r\n' >"$root/Jörg/Vorlancockpit/TRVatc/module.lst"
printf '{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\0005\t\\\\?\\hid#vid_0000&pid_0010#1#x\r\n' \
  >"$root/devices.txt"

shown=$(cd "$setup" && TRV_SETUP_DEVICES="Z:$root/devices.txt" WINEDEBUG=-all \
  script -qec "wine cmd /c 'chcp 850 & Z:$exe <NUL & chcp'" /dev/null </dev/null |
  tr -d '\r' | sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g')
echo "$shown"
want="Z:${root//\//\\}\\Jörg\\sioc.ini created."
grep -qxF "$want" <<<"$shown" || { echo "missing line: $want"; exit 1; }
[ "$(grep -c 'Active code page: 850' <<<"$shown")" = 2 ] || { echo "code page changed"; exit 1; }
