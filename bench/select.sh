#!/bin/bash
# Selection-window benchmark: the time from starting a process to its window being visible, for
# tolvare.exe with three registrations (their programs with icons of their own, and then three
# programs that do not exist, so nothing to load) against bench_minimal_window.exe, a user32-only
# program without a manifest that shows a window with three buttons. Interleaved runs under one
# warm Wine server, timed by a Windows-side driver (CreateProcessW to IsWindowVisible); prints the
# medians and both ratios.
#
#   bench/select.sh [BUILD_DIR]      (default build/windows; RUNS=15 by default)
#   BASELINE_EXE=/path/to/older/tolvare.exe bench/select.sh   adds that exe (with icon programs)
#
# With WINEPREFIX set, that prepared prefix is used as it is; otherwise a throw-away one is made
# with tools/lib/wine-prefix.sh and removed at the end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
runs="${RUNS:-15}"
tolvare="$build/app/tolvare.exe"
minimal="$build/bench/select/bench_minimal_window.exe"
driver="$build/bench/select/bench_select_driver.exe"
source "$root/bench/lib.sh"
bench_require select.sh "$tolvare" "$minimal" "$driver" ${BASELINE_EXE:+"$BASELINE_EXE"}
bench_workdir select
cp "$tolvare" "$minimal" "$driver" "$work/"
mkdir -p "$work/baseline"
[ -z "${BASELINE_EXE:-}" ] || cp "$BASELINE_EXE" "$work/baseline/tolvare.exe"
: >"$work/a.txt"
: >"$work/a.dat"
# TXT: three programs of Wine's own with icons; DAT: three programs that are not there.
profile="$(printf '[MARK]\r\nDAT_0=DAT,C:\\missing\\one.exe,one\r\nDAT_1=DAT,C:\\missing\\two.exe,two\r\nDAT_2=DAT,C:\\missing\\three.exe,three\r\nTXT_0=TXT,C:\\windows\\notepad.exe,notepad\r\nTXT_1=TXT,C:\\windows\\regedit.exe,regedit\r\nTXT_2=TXT,%s,tolvare\r\n' "$(winpath "$work/tolvare.exe")")"
printf '%s' "$profile" >"$work/tolvare.ini"
printf '%s' "$profile" >"$work/baseline/tolvare.ini"

args=(minimal "$(winpath "$work/bench_minimal_window.exe")"
      select "$(winpath "$work/tolvare.exe") $(winpath "$work/a.txt")"
      select "$(winpath "$work/tolvare.exe") $(winpath "$work/a.dat")")
[ -z "${BASELINE_EXE:-}" ] || args+=(select "$(winpath "$work/baseline/tolvare.exe") $(winpath "$work/a.txt")")
mapfile -t medians < <(wine "$work/bench_select_driver.exe" "$runs" "${args[@]}" </dev/null 2>/dev/null | tr -d '\r')
[ "${#medians[@]}" -ge 3 ] || { echo "select.sh: the driver failed" >&2; exit 1; }
awk -v n="$runs" -v m="${medians[0]}" -v i="${medians[1]}" -v o="${medians[2]}" -v b="${medians[3]:-}" 'BEGIN {
  printf "start to visible window, median of %d interleaved runs:\n", n
  printf "  bench_minimal_window.exe (user32 only)     %8.1f ms\n", m
  printf "  tolvare.exe, programs with icons           %8.1f ms   ratio %.2f\n", i, i / m
  printf "  tolvare.exe, programs missing (no icons)   %8.1f ms   ratio %.2f\n", o, o / m
  if (b != "") printf "  baseline tolvare.exe, programs with icons  %8.1f ms   ratio %.2f\n", b, b / m
}'
