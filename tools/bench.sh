#!/usr/bin/env bash
# Measures the tool: Google Benchmark for its own work, then whole runs of
# trv_setup_scripted side by side with hyperfine (0 against 100 interfaces),
# and trv_boards's preview beside a setup run over a large installation.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ensure-packages.sh
ensure_packages cmake g++ make googletest libbenchmark-dev hyperfine time

cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target trv_benchmark trv_hello trv_hello_static \
  trv_setup_scripted trv_boards_scripted >/dev/null
build/native/bench/trv_benchmark

work=$(mktemp -d)
shm=$(mktemp -d -p /dev/shm)  # a tmpfs: nothing to flush
trap 'rm -rf "$work" "$shm"' EXIT
# An installation below $1 with the six modules' lists.
install() {
  mkdir -p "$1/Sim/Vorlancockpit/SIOC/Kesmira/TRV_setup"
  for slot in efis1 efis2 mcpv3 comm1 cdu2 cduv31; do
    mkdir -p "$1/Sim/Vorlancockpit/TRV$slot"
    printf 'SIOC\\%s.ssi\r\n' "$slot" >"$1/Sim/Vorlancockpit/TRV$slot/module.lst"
  done
}
install "$work"
install "$shm"
setup="$work/Sim/Vorlancockpit/SIOC/Kesmira/TRV_setup"
key='{745a17a0-74d3-11d0-b6fe-00a0c90f57da}'
suffix='#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}'
foreign() { for i in $(seq 100 $((99 + $1))); do
  printf '%s\\%04d\t\\\\?\\hid#vid_046d&pid_%04x%s\n' "$key" "$i" "$((i % 22))" "$suffix"; done; }
# The six boards of the worked example: product id and device number.
boards() { for b in 000b:3 0014:4 0002:6 000b:1 0013:2 000d:5; do
  printf '%s\\%04d\t\\\\?\\hid#vid_0000&pid_%s%s\n' "$key" "${b#*:}" "${b%:*}" "$suffix"; done; }
: >"$work/none.txt"
foreign 100 >"$work/foreign100.txt"
boards >"$work/boards.txt"
{ foreign 47; boards; foreign 47; } >"$work/boards100.txt"

# No shell in between (-N); env sets the folder and the device list.
run() { echo "env -C $setup TRV_SETUP_DEVICES=$work/$1.txt $PWD/build/native/trv_setup_scripted"; }
hyperfine -N --warmup 20 --runs 500 -n "0 interfaces" "$(run none)" -n "100 interfaces, none ours" "$(run foreign100)"
hyperfine -N --warmup 20 --runs 500 -n "6 boards alone" "$(run boards)" -n "6 boards among 100 interfaces" "$(run boards100)"
# What the flushes cost: the same run writing its files to a tmpfs and to the
# disk that holds $work.
hyperfine -N --warmup 20 --runs 300 -n "files on tmpfs" "$(run boards | sed "s|$work/Sim|$shm/Sim|")" \
  -n "files on disk ($(df --output=fstype "$work" | tail -1))" "$(run boards)"

# A large installation: sixteen module folders of 1,000 lines each (twelve
# of the modules can be plugged in at once), a Vorlantrv.lst that lacks every
# tenth line and a hand-written sioc.ini of 200 lines, laid out anew before
# each run; the preview against the setup run that it describes.
# An installation at $1 with all sixteen modules, of $2 lines each.
sixteen() {
  mkdir -p "$1/Vorlancockpit/SIOC/Kesmira/TRV_setup"
  for slot in efis1 efis2 mcp mcpv3 atc comm1 comm2 comm3 cdu1 cdu2 cdu3 cduv31 cduv32 cduv33 chrono1 chrono2; do
    mkdir -p "$1/Vorlancockpit/TRV$slot"
    for i in $(seq "$2"); do printf 'SIOC\\%s\\part%04d.ssi\r\n' "$slot" "$i"; done \
      >"$1/Vorlancockpit/TRV$slot/module.lst"
  done
}
large="$work/large"
sixteen "$large" 1000
for b in 000b:1 000b:2 0014:3 0010:4 000d:5 000d:6 000d:7 0002:8 0013:9 0013:10 0015:11 0015:12; do
  printf '%s\\%04d\t\\\\?\\hid#vid_0000&pid_%s%s\n' "$key" "${b#*:}" "${b%:*}" "$suffix"
done >"$work/twelve.txt"
(cd "$large/Vorlancockpit/SIOC/Kesmira/TRV_setup" &&
  TRV_SETUP_DEVICES="$work/twelve.txt" "$OLDPWD/build/native/trv_setup_scripted" </dev/null >/dev/null)
awk 'NR % 10' "$large/Vorlantrv.lst" >"$work/list"
for i in $(seq 200); do printf 'key%03d=hand-written value %d\r\n' "$i" "$i"; done >"$work/ini"
lay_out="cp $work/list $large/Vorlantrv.lst; cp $work/ini $large/sioc.ini; rm -f $large/siocini_before_setup_Vorlantrv.ini"
in_large() { echo "env -C $large/Vorlancockpit/SIOC/Kesmira/TRV_setup TRV_SETUP_DEVICES=$work/twelve.txt $PWD/build/native/$1"; }
hyperfine -N --warmup 5 --runs 100 --prepare "sh -c '$lay_out'" \
  -n "setup run, 12 modules of 1,000 lines" "$(in_large trv_setup_scripted)" \
  -n "preview of the same run (trv_boards)" "$(in_large trv_boards_scripted)"

# Huge files: a Vorlantrv.lst whose 150,000 lines all go and 150,000 other
# lines come (the preview against the run), and a sioc.ini of 68 MB, read
# for its backup and compared, under a 1 GB address-space limit (peak memory
# of each).
huge="$work/huge"
mkdir -p "$huge/Vorlancockpit/SIOC/Kesmira/TRV_setup" "$huge/Vorlancockpit/TRVatc"
for i in $(seq 150000); do printf 'SIOC\\new\\part%06d.ssi\r\n' "$i"; done \
  >"$huge/Vorlancockpit/TRVatc/module.lst"
sed 's/new/old/' "$huge/Vorlancockpit/TRVatc/module.lst" >"$work/huge-list"
head -c 68M < <(yes 'key=a hand-written value') >"$work/huge-ini"
printf '%s\\0005\t\\\\?\\hid#vid_0000&pid_0010%s\n' "$key" "$suffix" >"$work/atc.txt"
in_huge() { echo "env -C $huge/Vorlancockpit/SIOC/Kesmira/TRV_setup TRV_SETUP_DEVICES=$work/atc.txt $PWD/build/native/$1"; }
hyperfine -N --warmup 2 --runs 20 \
  --prepare "sh -c 'cp $work/huge-list $huge/Vorlantrv.lst; rm -f $huge/sioc.ini $huge/siocini_before_setup_Vorlantrv.ini'" \
  -n "setup run, 150,000 lines out and 150,000 in" "$(in_huge trv_setup_scripted)" \
  -n "preview of the same run (trv_boards)" "$(in_huge trv_boards_scripted)"
for program in trv_setup_scripted trv_boards_scripted; do
  rm -f "$huge/Vorlantrv.lst" "$huge/siocini_before_setup_Vorlantrv.ini"
  cp "$work/huge-ini" "$huge/sioc.ini"
  /usr/bin/time -f "$program, sioc.ini of 68 MB within 1 GB: peak %M KiB, %e s" \
    sh -c "ulimit -v 1048576; exec $(in_huge "$program")" </dev/null | grep -E '^!|lines in' || true
done

# Instructions (callgrind) are exact where times vary. A typical run (twelve
# boards among 40 interfaces, sixteen modules of 50 lines) beside a C++
# program that prints one line through iostream.
typical="$work/typical"
sixteen "$typical" 50
{ foreign 28; cat "$work/twelve.txt"; } >"$work/typical.txt"
instructions() {
  valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" "$@" </dev/null >/dev/null 2>&1
  callgrind_annotate "$work/callgrind.out" | sed -n 's/ *\([0-9,]*\).*PROGRAM TOTALS.*/\1/p' | tr -d ,
}
ensure_packages valgrind
for list in none foreign100 boards boards100; do
  echo "$list: $(cd "$setup" && TRV_SETUP_DEVICES="$work/$list.txt" instructions "$OLDPWD/build/native/trv_setup_scripted") instructions"
done
run_count=$(cd "$typical/Vorlancockpit/SIOC/Kesmira/TRV_setup" &&
  TRV_SETUP_DEVICES="$work/typical.txt" instructions "$OLDPWD/build/native/trv_setup_scripted")
hello_count=$(instructions build/native/bench/trv_hello)
static_count=$(instructions build/native/bench/trv_hello_static)
echo "typical run: $run_count instructions; one line through iostream: $hello_count" \
  "(ratio $(awk "BEGIN { printf \"%.2f\", $run_count / $hello_count }")); linked as the tool is:" \
  "$static_count (ratio $(awk "BEGIN { printf \"%.2f\", $run_count / $static_count }"))"
