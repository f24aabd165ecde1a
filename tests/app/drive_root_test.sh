#!/usr/bin/env bash
# The Windows build in an installation directly in a drive's root: started in
# X:\Vorlancockpit\SIOC\Kesmira\TRV_setup it writes X:\Vorlantrv.lst and
# X:\sioc.ini. A Wine drive letter is mapped to a temporary folder for it.
set -euo pipefail
exe=$1
dosdevices="${WINEPREFIX:-$HOME/.wine}/dosdevices"
letter=""
for candidate in x w v u t; do
  if [ ! -e "$dosdevices/$candidate:" ] && [ ! -L "$dosdevices/$candidate:" ]; then
    letter=$candidate
    break
  fi
done
[ -n "$letter" ] || { echo "no free Wine drive letter in $dosdevices"; exit 1; }
drive=$(echo "$letter" | tr a-z A-Z)
root=$(mktemp -d)
trap 'rm -f "$dosdevices/$letter:"; rm -rf "$root"' EXIT
ln -s "$root" "$dosdevices/$letter:"

mkdir -p "$root/Vorlancockpit/SIOC/Kesmira/TRV_setup" "$root/Vorlancockpit/TRVatc"
printf 'atc.ssi\r\n' >"$root/Vorlancockpit/TRVatc/module.lst"
printf '{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\0005\t\\\\?\\hid#vid_0000&pid_0010#1#x\r\n' \
  >"$root/devices.txt"

output=$(cd "$root/Vorlancockpit/SIOC/Kesmira/TRV_setup" &&
  TRV_SETUP_DEVICES="$drive:\\devices.txt" WINEDEBUG=-all wine "$exe" </dev/null | tr -d '\r')
echo "$output"
status=0
for line in "atc module detected" "$drive:\\Vorlantrv.lst created." "$drive:\\sioc.ini created."; do
  grep -qxF "$line" <<<"$output" || { echo "missing line: $line"; status=1; }
done
for file in Vorlantrv.lst sioc.ini; do
  [ -f "$root/$file" ] || { echo "missing file: $root/$file"; status=1; }
done
[ "$(cat "$root/Vorlantrv.lst")" = $'atc.ssi\r' ] || { echo "wrong Vorlantrv.lst"; status=1; }
exit $status
