#!/usr/bin/env bash
# Builds the profile reader's fuzzer with clang (libFuzzer, ASan, UBSan) and runs it.
#   tests/fuzz/run-brief.sh            a brief run, as tools/test does (20 s)
#   FUZZ_SECONDS=3600 tests/fuzz/run-brief.sh   a longer one
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$root/build/fuzz"
mkdir -p "$out/corpus"
sources=("$root"/core/*.cpp "$root"/tests/fuzz/profile_fuzz.cpp)
if [ ! -x "$out/profile_fuzz" ] || [ -n "$(find "${sources[@]}" "$root"/core/*.h "$root"/tests/native/*.h -newer "$out/profile_fuzz" 2>/dev/null)" ]; then
  clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root" "${sources[@]}" -o "$out/profile_fuzz"
fi
# Seeds: a profile as the program writes it, and the awkward shapes of hand-edited ones.
printf '[MARK]\r\nDOC_0=DOC,C:\\V.EXE,v\r\nTXT_0=TXT,C:\\E.EXE,e\r\nTXT_1=TXT,C:\\W.EXE,w\r\n' > "$out/corpus/seed-saved"
printf '; c\n[mark]\n[ MARK ]\nTXT_0 = "TXT,a,b"\nTXT_2=TXT\n\n[X]\n' > "$out/corpus/seed-edited"
printf '[MARK]\r\n\x83e\x83L\x83X\x83g_0=\x83e,\x82\xa0,\x81\r\n' > "$out/corpus/seed-sjis"
"$out/profile_fuzz" -artifact_prefix="$out/" -max_total_time="${FUZZ_SECONDS:-20}" -max_len=4096 -print_final_stats=1 \
  "$out/corpus" 2>&1 | tail -n 12
