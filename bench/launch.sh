#!/bin/bash
# Launch benchmark: `tolvare.exe FILE` with one registration (it starts a probe that exits at once)
# against bench_floor.exe, which only calls CreateProcessW on the same probe. Interleaved runs
# under one warm Wine server; prints both medians, their ratio, the stripped size of tolvare.exe
# and its DLL imports (normal and delay-loaded).
#
#   bench/launch.sh [BUILD_DIR]      (default build/windows; RUNS=15 by default)
#
# With WINEPREFIX set, that prepared prefix is used as it is; otherwise a throw-away one is made
# with tools/lib/wine-prefix.sh and removed at the end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
runs="${RUNS:-15}"
tolvare="$build/app/tolvare.exe"
floor="$build/bench/launch/bench_floor.exe"
probe="$build/bench/launch/bench_probe.exe"
source "$root/bench/lib.sh"
bench_require launch.sh "$tolvare" "$floor" "$probe"
bench_workdir launch
cp "$tolvare" "$floor" "$probe" "$work/"
: >"$work/a.txt"
printf '[MARK]\r\nTXT_0=TXT,%s,probe\r\n' "$(winpath "$work/bench_probe.exe")" >"$work/tolvare.ini"
file="$(winpath "$work/a.txt")"

# One warm-up each, checking that both really start the probe.
for cmd in "tolvare.exe $file" "bench_floor.exe $(winpath "$work/bench_probe.exe") $file"; do
  rm -f "$work/mark"
  # shellcheck disable=SC2086
  BENCH_PROBE_MARK="$(winpath "$work/mark")" wine "$work/"$cmd </dev/null >/dev/null 2>&1 || true
  for _ in $(seq 50); do [ -f "$work/mark" ] && break; sleep 0.1; done
  [ -f "$work/mark" ] || { echo "launch.sh: '$cmd' did not start the probe" >&2; exit 1; }
done

ms() { local t0 t1; t0=$(date +%s%N); "$@" </dev/null >/dev/null 2>&1 || true; t1=$(date +%s%N); echo $(((t1 - t0) / 1000)); }
: >"$work/t_tolvare"
: >"$work/t_floor"
for _ in $(seq "$runs"); do
  ms wine "$work/tolvare.exe" "$file" >>"$work/t_tolvare"
  ms wine "$work/bench_floor.exe" "$(winpath "$work/bench_probe.exe")" "$file" >>"$work/t_floor"
done
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
mt=$(median "$work/t_tolvare")
mf=$(median "$work/t_floor")
awk -v t="$mt" -v f="$mf" -v n="$runs" 'BEGIN {
  printf "launch, median of %d interleaved runs:\n", n
  printf "  tolvare.exe FILE (one registration)  %8.1f ms\n", t / 1000
  printf "  bench_floor.exe (CreateProcessW only) %8.1f ms\n", f / 1000
  printf "  ratio                                 %8.2f\n", t / f
}'

x86_64-w64-mingw32-strip -o "$work/stripped.exe" "$tolvare"
echo "stripped tolvare.exe: $(stat -c %s "$work/stripped.exe") bytes"
echo "imports:       $(x86_64-w64-mingw32-objdump -p "$tolvare" | sed -n 's/.*DLL Name: //p' | tr '\n' ' ')"
echo "delay imports: $(x86_64-w64-mingw32-nm "$tolvare" | sed -n 's/.*__DELAY_IMPORT_DESCRIPTOR_lib\(.*\)_delay_a$/\1.dll/p' | tr '\n' ' ')"
