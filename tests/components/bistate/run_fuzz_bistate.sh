#!/bin/bash
# Builds the fuzz target of the two-state symbol's design data with clang's
# libFuzzer (the symbol's own code instrumented, the runtime and element
# packages linked as built) and runs it for a bounded time. Exit 77 (skipped)
# only when clang++ is not installed.
#   run_fuzz_bistate.sh <clang++ or empty> <out dir> <seconds> <seed dir> <library dir> <flags and sources...>
set -u
clangxx="$1"; out="$2"; seconds="$3"; seeds="$4"; libdir="$5"; shift 5
if [ -z "$clangxx" ] || [ "$clangxx" = "CLANGXX-NOTFOUND" ] || ! command -v "$clangxx" >/dev/null 2>&1; then
  echo "clang++ is not installed: fuzz target skipped"
  exit 77
fi
qtflags=$(pkg-config --cflags --libs Qt6Widgets) || { echo "pkg-config cannot find Qt6Widgets"; exit 1; }
mkdir -p "$out/corpus"
# shellcheck disable=SC2086
"$clangxx" -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address "$@" $qtflags \
  -L"$libdir" -lKeloRTL -lChildElements -Wl,-rpath,"$libdir" \
  -o "$out/fuzz_bistate" $qtflags || { echo "cannot build the fuzz target"; exit 1; }
cd "$out" || exit 1
ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=64 ./fuzz_bistate -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=4096 -timeout=10 \
  -print_final_stats=1 corpus "$seeds" 2>&1 | tail -n 25
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
  echo "fuzz target failed (status $status); crash inputs are in $out"
  exit 1
fi
echo "fuzz target ran clean"
