#!/bin/bash
# Builds the design-stream fuzz target of the floor libraries with clang's
# libFuzzer (linked against the runtime, element and host libraries of the
# build) and runs it for a bounded time. Exit 77 (skipped) only when clang++ is
# not installed.
#   run_fuzz_floorstreams.sh <clang++ or empty> <out dir> <seconds> <source> <seed dir>
#       <include dirs, ':'-separated> <shared libraries, ':'-separated> <component libraries, ':'-separated>
set -u
clangxx="$1"; out="$2"; seconds="$3"; source="$4"; seeds="$5"; includes="$6"; libs="$7"; components="$8"
if [ -z "$clangxx" ] || [ "$clangxx" = "CLANGXX-NOTFOUND" ] || ! command -v "$clangxx" >/dev/null 2>&1; then
  echo "clang++ is not installed: fuzz target skipped"
  exit 77
fi
qtflags=$(pkg-config --cflags --libs Qt6Widgets) || { echo "pkg-config cannot find Qt6Widgets"; exit 1; }
incflags=()
IFS=':' read -ra dirs <<< "$includes"
for d in "${dirs[@]}"; do incflags+=("-I$d"); done
libflags=()
IFS=':' read -ra files <<< "$libs"
for f in "${files[@]}"; do libflags+=("$f" "-Wl,-rpath,$(dirname "$f")"); done
mkdir -p "$out/corpus"
# shellcheck disable=SC2086
"$clangxx" -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address "${incflags[@]}" $qtflags "$source" \
  -o "$out/fuzz_floorstreams" "${libflags[@]}" $qtflags || { echo "cannot build the fuzz target"; exit 1; }
cd "$out" || exit 1
# The libraries load through the host loader; leaks of the offscreen platform
# at exit are not the streams' concern.
KR_FUZZ_COMPONENTS="$components" ASAN_OPTIONS=detect_leaks=0 \
  ./fuzz_floorstreams -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=8192 -timeout=10 \
  -print_final_stats=1 corpus "$seeds" 2>&1 | tail -n 25
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
  echo "fuzz target failed (status $status); crash inputs are in $out"
  exit 1
fi
echo "fuzz target ran clean"
