# Sourceable helpers that give every Wine run its own throw-away prefix, set up the way the
# tests need it (null or X11 display driver, no crash dialog, Japanese fonts and locale).
#
#   source tools/lib/wine-prefix.sh
#   tolvare_wine_prefix_create [--x11] [DIR]   # exports WINEPREFIX & co, server pre-started
#   ...wine ... / ctest ...
#   tolvare_wine_prefix_destroy                # kills the server, removes the prefix
#
# The display driver is "null" (headless) unless --x11 is given or TOLVARE_WINE_GRAPHICS=x11.

_tolvare_lib_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
_tolvare_root="$(cd "$_tolvare_lib_dir/../.." && pwd)"

# Wine derives its ANSI code page (932) and the Unix file-name encoding from the glibc locale;
# without a generated ja_JP.UTF-8 locale Japanese file names vanish from directory listings.
tolvare_japanese_locale() {
  # grep reads the whole list: with -q it would stop early, and under pipefail the SIGPIPE of
  # 'locale -a' would count as "not found".
  if locale -a 2>/dev/null | grep -iE '^ja_JP\.utf-?8$' >/dev/null; then
    export LANG=ja_JP.UTF-8
    unset LC_ALL
    return 0
  fi
  local dir="${TOLVARE_LOCPATH:-$_tolvare_root/build/locale}"
  if [ ! -f "$dir/ja_JP.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$dir"
    local tmp
    tmp="$(mktemp -d "$dir/.gen.XXXXXX")"
    # localedef exits 1 on mere warnings; judge by the files it wrote.
    localedef -i ja_JP -f UTF-8 "$tmp/ja_JP.UTF-8" >/dev/null 2>&1 || true
    if [ -f "$tmp/ja_JP.UTF-8/LC_CTYPE" ]; then
      rm -rf "$dir/ja_JP.UTF-8"
      mv "$tmp/ja_JP.UTF-8" "$dir/ja_JP.UTF-8" 2>/dev/null || true
    fi
    rm -rf "$tmp"
    if [ ! -f "$dir/ja_JP.UTF-8/LC_CTYPE" ]; then
      echo "wine-prefix: could not generate the ja_JP.UTF-8 locale (is the package 'locales' installed?)" >&2
      return 1
    fi
  fi
  export LOCPATH="$dir"
  export LANG=ja_JP.UTF-8
  unset LC_ALL
}

# Writes the registry settings as a UTF-16LE .reg file with a BOM (what regedit expects for
# the non-ASCII font names) and imports it.
_tolvare_wine_import_settings() {
  local graphics="$1"
  local reg="$WINEPREFIX/drive_c/tolvare-settings.reg"
  {
    printf '\xff\xfe'
    printf '%s\r\n' \
      'Windows Registry Editor Version 5.00' '' \
      '[HKEY_CURRENT_USER\Software\Wine\Drivers]' "\"Graphics\"=\"$graphics\"" '' \
      '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
      '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
      '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
      '"ＭＳ ゴシック"="IPAGothic"' '"ＭＳ Ｐゴシック"="IPAPGothic"' '"MS UI Gothic"="IPAPGothic"' '' \
      | iconv -f UTF-8 -t UTF-16LE
  } >"$reg"
  local rc=0
  wine regedit /S 'C:\tolvare-settings.reg' </dev/null >/dev/null 2>&1 || rc=$?
  rm -f "$reg"
  return "$rc"
}

# Starts the server detached from the caller's pipes: an auto-started wineserver inherits
# stdout, so "$(wine ...)" would otherwise hang until the server exits.
# Returns non-zero, having said which step failed, when the server or the prefix does not come up.
tolvare_wine_server_start() {
  local rc=0
  wineserver -p </dev/null >/dev/null 2>&1 || rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "wine-prefix: 'wineserver -p' failed (exit $rc) in $WINEPREFIX" >&2
    return "$rc"
  fi
  wine wineboot </dev/null >/dev/null 2>&1 || rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "wine-prefix: 'wine wineboot' failed (exit $rc) in $WINEPREFIX" >&2
    return "$rc"
  fi
}

tolvare_wine_prefix_create() {
  local graphics="${TOLVARE_WINE_GRAPHICS:-null}" dir=""
  while [ $# -gt 0 ]; do
    case "$1" in
      --x11) graphics=x11 ;;
      --null) graphics=null ;;
      *) dir="$1" ;;
    esac
    shift
  done
  tolvare_japanese_locale || return 1
  if [ -z "$dir" ]; then
    dir="$(mktemp -d "${TMPDIR:-/tmp}/tolvare-wine.XXXXXX")" || return 1
  else
    mkdir -p "$dir" || return 1
    dir="$(cd "$dir" && pwd)"
  fi
  export WINEPREFIX="$dir"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  local rc=0
  wineboot -i </dev/null >/dev/null 2>&1 || rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "wine-prefix: 'wineboot -i' failed (exit $rc) in $WINEPREFIX" >&2
    return 1
  fi
  if ! _tolvare_wine_import_settings "$graphics"; then
    echo "wine-prefix: the registry settings could not be imported in $WINEPREFIX" >&2
    return 1
  fi
  # Caption buttons under Xvfb need Marlett; only that one font, as others change Japanese captions.
  local marlett=/usr/share/wine/fonts/marlett.ttf
  if [ -f "$marlett" ]; then cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true; fi
  wineserver -w 2>/dev/null || true
  tolvare_wine_server_start
}

# Switches an existing prefix between the null and the X11 display driver; the driver is read
# when a server's first GUI process starts, so the server is restarted.
tolvare_wine_prefix_graphics() {
  local graphics="${1:-null}"
  [ -n "${WINEPREFIX:-}" ] || { echo "wine-prefix: WINEPREFIX is not set" >&2; return 1; }
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  _tolvare_wine_import_settings "$graphics"
  wineserver -w
  tolvare_wine_server_start
}

# Sets the prefix's screen DPI (96 is the default; 144 is a cheap way to see scaling) and
# restarts the server, which reads it at start.
tolvare_wine_prefix_dpi() {
  local dpi="${1:-96}" reg
  [ -n "${WINEPREFIX:-}" ] || { echo "wine-prefix: WINEPREFIX is not set" >&2; return 1; }
  reg="$WINEPREFIX/drive_c/tolvare-dpi.reg"
  # Stop the persistent server first: the import then runs on a short-lived one, which saves
  # the registry when it exits.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  {
    printf '\xff\xfe'
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
      '[HKEY_CURRENT_USER\Control Panel\Desktop]' "\"LogPixels\"=dword:$(printf '%08x' "$dpi")" '' \
      | iconv -f UTF-8 -t UTF-16LE
  } >"$reg"
  wine regedit /S 'C:\tolvare-dpi.reg' </dev/null >/dev/null 2>&1
  rm -f "$reg"
  wineserver -w
  tolvare_wine_server_start
}

tolvare_wine_prefix_destroy() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  case "$WINEPREFIX" in
    /|"${HOME:-/}"|"${HOME:-}/.wine") ;;  # never remove anything that is not ours
    *) rm -rf "$WINEPREFIX" ;;
  esac
  unset WINEPREFIX
}
