#!/bin/bash
# Builds the page loader's fuzz target with clang's libFuzzer and runs it for a
# bounded time. Exit 77 (skipped) only when clang++ is not installed.
#   run_fuzz_page.sh <clang++ or empty> <out dir> <seconds> <seed dirs (:-separated)> <include dirs (:-separated)> <sources...>
set -u
clangxx="$1"; out="$2"; seconds="$3"; seeds="$4"; includes="$5"; shift 5
if [ -z "$clangxx" ] || [ "$clangxx" = "CLANGXX-NOTFOUND" ] || ! command -v "$clangxx" >/dev/null 2>&1; then
  echo "clang++ is not installed: fuzz target skipped"
  exit 77
fi
qtflags=$(pkg-config --cflags --libs Qt6Core) || { echo "pkg-config cannot find Qt6Core"; exit 1; }
incflags=()
IFS=':' read -ra dirs <<< "$includes"
for d in "${dirs[@]}"; do incflags+=("-I$d"); done
IFS=':' read -ra seeddirs <<< "$seeds"
mkdir -p "$out/corpus"
# shellcheck disable=SC2086
"$clangxx" -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address -DKELORTL_LIBRARY -DKRHOST_LIBRARY \
  "${incflags[@]}" $qtflags "$@" -o "$out/fuzz_pagefile" $qtflags || { echo "cannot build the fuzz target"; exit 1; }
cd "$out" || exit 1
./fuzz_pagefile -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=8192 -timeout=10 \
  -print_final_stats=1 corpus "${seeddirs[@]}" 2>&1 | tail -n 25
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
  echo "fuzz target failed (status $status); crash inputs are in $out"
  exit 1
fi
echo "fuzz target ran clean"
