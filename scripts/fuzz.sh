#!/usr/bin/env bash
# Runs every libFuzzer target (the readers of outside data: configuration file,
# translation file, network file, settings file, help locations, design streams) for
# a long time, one after the other, on the corpora kept in the build folder.
#   scripts/fuzz.sh [seconds per target, default 600] [build folder, default build]
# Crash inputs are kept next to each target's corpus (build/tests/.../<target>/crash-*).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
dir=${2:-build}
scripts/setup.sh
scripts/build.sh "$dir" >/dev/null
export KR_FUZZ_SECONDS="$seconds"
ctest --test-dir "$dir" -L fuzz --output-on-failure --timeout $((seconds + 900))
