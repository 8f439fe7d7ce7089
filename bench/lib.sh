# Sourced by the Wine benchmarks: a Wine prefix (the prepared one in WINEPREFIX, or a throw-away
# one removed at exit) and a work folder inside its drive C, where an installed program would be
# (GetShortPath lists every folder on the path, and a crowded /tmp would be measured instead).
#
#   source bench/lib.sh; bench_workdir NAME     sets $work; winpath PATH prints its C:\ form
#   bench_require SCRIPT FILE...                 stops unless every built FILE is there

bench_require() {
  local script="$1" f
  shift
  for f in "$@"; do
    [ -f "$f" ] || { echo "$script: $f is missing; build the windows preset first" >&2; exit 1; }
  done
}

bench_workdir() {
  local root
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  _bench_own_prefix=0
  if [ -z "${WINEPREFIX:-}" ]; then
    source "$root/tools/lib/wine-prefix.sh"
    tolvare_wine_prefix_create >/dev/null
    _bench_own_prefix=1
  fi
  export WINEDEBUG=-all
  work="$(mktemp -d "$WINEPREFIX/drive_c/tolvare-$1.XXXXXX")"
  trap _bench_cleanup EXIT
}

_bench_cleanup() {
  rm -rf "$work"
  if [ "$_bench_own_prefix" = 1 ]; then tolvare_wine_prefix_destroy; fi
}

winpath() { printf 'C:%s' "$(printf '%s' "${1#"$WINEPREFIX/drive_c"}" | tr / '\\')"; }
