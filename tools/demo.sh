#!/usr/bin/env bash
# Builds the tool and runs it once on a sample installation laid out under
# build/demo: three boards plugged in, one of them without a module folder,
# and an earlier sioc.ini. Before and after the run, the board listing of
# the same devices with its preview of what a run would change.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ensure-packages.sh
ensure_packages cmake g++ make googletest

cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target trv_setup_scripted trv_boards_scripted >/dev/null

tool="$PWD/build/native/trv_setup_scripted"
demo="$PWD/build/demo"
rm -rf "$demo"
vorlan="$demo/Sim/Vorlancockpit"
mkdir -p "$vorlan/SIOC/Kesmira/TRV_setup" "$vorlan/TRVefis1" "$vorlan/TRVmcp"
printf 'SIOC/efis/efis_main.ssi\r\nSIOC/common/lights.ssi\r\n' >"$vorlan/TRVefis1/module.lst"
printf 'SIOC/mcp/mcp737.ssi\nSIOC/common/lights.ssi\n' >"$vorlan/TRVmcp/module.lst"
printf '[SIOC]\r\nIOCP_port=8092\r\n; written by hand\r\n' >"$demo/Sim/sioc.ini"

# The boards the scripted build "sees": driver key, TAB, interface path.
hid_class='{745a17a0-74d3-11d0-b6fe-00a0c90f57da}'
cat >"$demo/devices.txt" <<DEVICES
$hid_class\\0001	\\\\?\\hid#vid_046d&pid_c52b#6&2f8b1a&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}
$hid_class\\0003	\\\\?\\hid#vid_0000&pid_000b#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}
$hid_class\\0004	\\\\?\\hid#vid_0000&pid_0009#7&2b3c4d5e&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}
$hid_class\\0007	\\\\?\\hid#vid_0000&pid_000d#7&3c4d5e6f&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}
DEVICES

echo "== Sample installation: $demo/Sim"
echo "== Boards plugged in (TRV_SETUP_DEVICES):"
cat "$demo/devices.txt"
echo
boards() {
  (cd "$vorlan/SIOC/Kesmira/TRV_setup" &&
    echo | TRV_SETUP_DEVICES="$demo/devices.txt" "$boards_tool")
}
boards_tool="$PWD/build/native/trv_boards_scripted"
echo "== Before the run: trv_boards_scripted in the same folder, its listing and preview:"
echo
boards
echo
echo
echo "== Running trv_setup_scripted in Vorlancockpit/SIOC/Kesmira/TRV_setup:"
echo
(cd "$vorlan/SIOC/Kesmira/TRV_setup" &&
  echo | TRV_SETUP_DEVICES="$demo/devices.txt" "$tool")
echo
for f in Vorlantrv.lst siocini_before_setup_Vorlantrv.ini sioc.ini; do
  echo
  echo "== $f (lines end in CR LF):"
  tr -d '\r' <"$demo/Sim/$f"
done
echo
echo "== After the run: the preview finds nothing left to change:"
echo
boards
echo
