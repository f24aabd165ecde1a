#!/usr/bin/env bash
# The Windows build in installations under Wine, each with one board:
# - directly in a drive's root (a Wine drive letter mapped to a temporary
#   folder): it writes X:\Vorlantrv.lst and X:\sioc.ini, which stays hidden, names a
#   copy under VirtualStore, and trv_boards, its output to a pipe, finds
#   nothing left to change there and ends without input;
# - below a folder named Jörg, in a real console (script gives Wine a
#   terminal): the console shows the name right in the " created." lines and
#   its output code page (850) is left as it was;
# - on a full disk (a file system of 64 KiB, where one can be mounted): the
#   write fails part-way, and the run says so and leaves nothing behind;
# - in a folder of another owner, Wine run as nobody (where this runs as
#   root): the create is refused, and the run says why and writes nothing.
set -euo pipefail
exe=$1 boards=$2
root=$(mktemp -d) && full="$root/full" && mkdir "$full"
dosdevices="${WINEPREFIX:-$HOME/.wine}/dosdevices"
# A free letter, or one that a run of this test cut off (by a timeout) left.
letter=$(for l in x w v u t; do [[ -e $dosdevices/$l: && $(readlink "$dosdevices/$l:") != */tmp.*/drive ]] || { echo "$l"; break; }; done)
trap 'umount "$full" 2>/dev/null; rm -f "$dosdevices/$letter:"; rm -rf "$root"' EXIT
ln -sfn "$root/drive" "$dosdevices/$letter:"
printf '{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\0005\t\\\\?\\hid#vid_0000&pid_0010#1#x\r\n' \
  >"$root/devices.txt"
export TRV_SETUP_DEVICES="Z:$root/devices.txt" WINEDEBUG=-all
for base in "$root/drive" "$root/Jörg" "$root/theirs"; do
  mkdir -p "$base/Vorlancockpit/SIOC/Kesmira/TRV_setup" "$base/Vorlancockpit/TRVatc"
  printf 'atc.ssi\r\n' >"$base/Vorlancockpit/TRVatc/module.lst"
done
# A line of the tool's own, with the lines it broke at 80 columns joined.
expect() { grep -qxF "$1" <<<"${2//$'\n    '/ }" || { echo "missing line: $1"; echo "$2"; exit 1; }; }

printf 'mine\r\n' >"$root/drive/sioc.ini"
# A hidden sioc.ini stays hidden; a copy of it under VirtualStore is named.
wine cmd /c attrib +h "${letter}:\\sioc.ini" </dev/null >/dev/null
store="$(wine cmd /c 'echo %LOCALAPPDATA%' </dev/null | tr -d '\r')\\VirtualStore\\sioc.ini"
copy=$(winepath -u "$store") && mkdir -p "${copy%/*}" && printf 'old\r\n' >"$copy"
shown=$(cd "$root/drive/Vorlancockpit/SIOC/Kesmira/TRV_setup" && wine "$exe" </dev/null | tr -d '\r')
rm "$copy"
expect "${letter^^}:\\Vorlantrv.lst created." "$shown"
expect "${letter^^}:\\sioc.ini created." "$shown"
expect "Older programs started without administrator rights read $store instead; removing that copy lets them read the new sioc.ini." "$shown"
wine cmd /c attrib "${letter}:\\sioc.ini" </dev/null | grep -q '^ *A* *H' || { echo "sioc.ini no longer hidden"; exit 1; }
# Output to a pipe: the listing and preview, and no wait for input.
shown=$(cd "$root/drive/Vorlancockpit/SIOC/Kesmira/TRV_setup" &&
  timeout 60 wine "$boards" < <(sleep 120 2>/dev/null) | tr -d '\r')
expect "What a setup run would change in ${letter^^}:\\:" "$shown"
expect "Vorlantrv.lst: unchanged" "$shown"
expect "sioc.ini: unchanged" "$shown"

shown=$(cd "$root/Jörg/Vorlancockpit/SIOC/Kesmira/TRV_setup" &&
  script -qec "wine cmd /c 'chcp 850 & Z:$exe <NUL & chcp'" /dev/null </dev/null |
  tr -d '\r' | sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g')
expect "Z:${root//\//\\}\\Jörg\\sioc.ini created." "$shown"
[ "$(grep -c 'Active code page: 850' <<<"$shown")" = 2 ] || { echo "code page changed"; exit 1; }

# A module list of 40 KiB fits, Vorlantrv.lst beside it no longer does.
if mount -t tmpfs -o size=64k tmpfs "$full" 2>/dev/null; then
  mkdir -p "$full/Vorlancockpit/SIOC/Kesmira/TRV_setup" "$full/Vorlancockpit/TRVatc"
  seq -f 'entry %05g' 1 3400 | sed 's/$/\r/' >"$full/Vorlancockpit/TRVatc/module.lst"
  printf 'mine\r\n' >"$full/sioc.ini"
  shown=$(cd "$full/Vorlancockpit/SIOC/Kesmira/TRV_setup" && wine "$exe" </dev/null | tr -d '\r')
  expect "! Failed to create Z:${full//\//\\}\\Vorlantrv.lst" "$shown"
  [ "$(ls "$full")" = "$(printf 'Vorlancockpit\nsioc.ini')" ] || { echo "a full disk left: $(ls "$full")"; exit 1; }
else
  echo "not run: the full-disk case (no file system could be mounted here)"
fi

if [ "$(id -u)" = 0 ] && runuser -u nobody -- true 2>/dev/null; then
  # nobody's own prefix, kept for the next runs (Wine makes it at its first
  # start) where nobody reaches it as the installation, in the temporary folder;
  # a link put there is not followed by the chown.
  other="${TMPDIR:-/tmp}/trv_tests_nobody" && mkdir -p "$other" && chown -h nobody: "$other"
  chmod 755 "$root"
  nobody() { runuser -u nobody -- env HOME="$other" WINEPREFIX="$other/prefix" timeout 30 "$@"; }
  shown=$(cd "$root/theirs/Vorlancockpit/SIOC/Kesmira/TRV_setup" && nobody wine "$exe" </dev/null | tr -d '\r')
  expect "! Failed to create Z:${root//\//\\}\\theirs\\Vorlantrv.lst" "$shown"
  expect "This user may not change the folder Z:${root//\//\\}\\theirs: start the program with \"Run as administrator\", or keep the installation outside protected folders such as Program Files or the root of a drive (C:\\)." "$shown"
  [ "$(ls "$root/theirs")" = Vorlancockpit ] || { echo "a refused create left: $(ls "$root/theirs")"; exit 1; }
else
  echo "not run: the refused create (Wine as another user needs root, and runuser that works)"
fi
