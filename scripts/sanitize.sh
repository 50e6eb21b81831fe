#!/usr/bin/env bash
# Builds the whole tree with AddressSanitizer and UndefinedBehaviorSanitizer (Debug, so
# that assertions hold too) into build-sanitize/ (or the folder given as $1) and runs the
# whole test suite under them. Any sanitizer report fails the test it happens in; the
# script exits non-zero on any failure. Run it before closing a change.
#
# Leak checking is off: Qt and the font and display libraries keep allocations until the
# process ends by design, and those are no faults of ours.
# The build is a full build of its own (about 20 minutes of processor time, ten minutes
# on two idle cores); the compiler cache (ccache) is used when it is installed. .ci/run
# does not run it: run it before closing a change.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-sanitize}
shift || true

scripts/setup.sh

flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$dir" -j "$(nproc)"

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=0:print_summary=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:print_summary=1"
# The fuzz targets that load the component libraries link the libraries of this
# tree, built here with GCC's sanitizer runtime, which cannot share a process with
# clang's libFuzzer runtime; they run in the normal suite.
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 900 \
  -E '^(fuzz_floorstreams|fuzz_floorstreams_bistate|fuzz_bistate)$' "$@"
