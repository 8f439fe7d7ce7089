#!/bin/sh
# Makes a delay-load import library from mingw-w64's normal one, so that a DLL is loaded only when
# the program first calls into it (the launch path of tolvare.exe never needs the UI DLLs).
# Usage: make-delaylib.sh NM DLLTOOL LIBDIR NAME OUTPUT   (NAME as in libNAME.a, e.g. user32)
set -eu
nm=$1 dlltool=$2 libdir=$3 name=$4 out=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$nm" "$libdir/lib$name.a" 2>/dev/null >"$work/syms"
# Functions have both an import pointer (I __imp_X) and a thunk (T X); data exports have no thunk
# and cannot be delay-loaded, so they are left out.
sed -n 's/^.* T \([A-Za-z_][A-Za-z0-9_@]*\)$/\1/p' "$work/syms" | sort -u >"$work/thunks"
sed -n 's/^.* I __imp_\([A-Za-z_][A-Za-z0-9_@]*\)$/\1/p' "$work/syms" | sort -u >"$work/imports"
{
  echo "LIBRARY $name.dll"
  echo "EXPORTS"
  comm -12 "$work/imports" "$work/thunks"
} >"$work/$name.def"
# Built under its final base name in the scratch folder: dlltool names the import descriptor after
# the output path, and a plain __DELAY_IMPORT_DESCRIPTOR_lib<name>_delay_a is what tools list.
(cd "$work" && "$dlltool" --input-def "$name.def" --output-delaylib "lib${name}_delay.a" \
  --dllname "$name.dll")
mv "$work/lib${name}_delay.a" "$out.tmp"
mv "$out.tmp" "$out"
