#!/bin/bash
# Builds the stream-reader fuzz target with clang's libFuzzer and runs it for a
# bounded time. Exit 77 (skipped) only when clang++ is not installed.
#   run_fuzz.sh <clang++ or empty> <out dir> <seconds> <include dir> <seed dir> <sources...>
# KR_FUZZ_SECONDS, when set, replaces <seconds> (scripts/fuzz.sh runs the targets long).
set -u
clangxx="$1"; out="$2"; seconds="${KR_FUZZ_SECONDS:-$3}"; include="$4"; seeds="$5"; shift 5
if [ -z "$clangxx" ] || [ "$clangxx" = "CLANGXX-NOTFOUND" ] || ! command -v "$clangxx" >/dev/null 2>&1; then
  echo "clang++ is not installed: fuzz target skipped"
  exit 77
fi
qtflags=$(pkg-config --cflags --libs Qt6Core) || { echo "pkg-config cannot find Qt6Core"; exit 1; }
mkdir -p "$out/corpus"
# shellcheck disable=SC2086
"$clangxx" -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address -DKELORTL_LIBRARY \
  -I"$include" $qtflags "$@" -o "$out/fuzz_symbolstream" $qtflags || { echo "cannot build the fuzz target"; exit 1; }
cd "$out" || exit 1
./fuzz_symbolstream -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=4096 -timeout=10 \
  -print_final_stats=1 corpus "$seeds" 2>&1 | tail -n 25
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
  echo "fuzz target failed (status $status); crash inputs are in $out"
  exit 1
fi
echo "fuzz target ran clean"
