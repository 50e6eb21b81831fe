#!/bin/bash
# Builds one libFuzzer target with clang++ (AddressSanitizer and UndefinedBehaviorSanitizer
# on) and runs it for a bounded time on its corpus. The build is kept and redone only
# when a source is newer. Exit 77 (skipped) only when clang++ is not installed.
#   run_fuzz_target.sh <clang++ or empty> <name> <out dir> <seconds> <seed dir or ->
#                      <pkg-config modules> <include dirs, ':'-separated> <headers to moc, ':'-separated>
#                      <sources...>
# KR_FUZZ_SECONDS, when set, replaces <seconds> (scripts/fuzz.sh runs the targets long).
set -u
clangxx="$1"; name="$2"; out="$3"; seconds="${KR_FUZZ_SECONDS:-$4}"; seeds="$5"; modules="$6"
includes="$7"; mocheaders="$8"; shift 8
if [ -z "$clangxx" ] || [ "$clangxx" = "CLANGXX-NOTFOUND" ] || ! command -v "$clangxx" >/dev/null 2>&1; then
  echo "clang++ is not installed: fuzz target $name skipped"
  exit 77
fi
# shellcheck disable=SC2086
qtcflags=$(pkg-config --cflags $modules) || { echo "pkg-config cannot find $modules"; exit 1; }
# shellcheck disable=SC2086
qtlibs=$(pkg-config --libs $modules) || exit 1
moc=$(pkg-config --variable=libexecdir Qt6Core 2>/dev/null)/moc
[ -x "$moc" ] || moc=/usr/lib/qt6/libexec/moc
mkdir -p "$out/corpus" "$out/obj"
launcher=""
command -v ccache >/dev/null 2>&1 && launcher=ccache
incflags=()
IFS=':' read -r -a dirs <<<"$includes"
for d in "${dirs[@]}"; do [ -n "$d" ] && incflags+=("-I$d"); done
flags=(-std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined
       -fno-sanitize=vptr -fno-sanitize-recover=undefined)

binary="$out/$name"
rebuild=0
[ -x "$binary" ] || rebuild=1
IFS=':' read -r -a mochs <<<"$mocheaders"
for f in "$@" "${mochs[@]}" "$0"; do
  [ -n "$f" ] && [ "$f" -nt "$binary" ] && rebuild=1
done
if [ "$rebuild" -eq 1 ]; then
  objects=()
  for h in "${mochs[@]}"; do
    [ -n "$h" ] || continue
    mocsrc="$out/obj/moc_$(basename "$h" .h).cpp"
    "$moc" "$h" -o "$mocsrc" || { echo "moc failed on $h"; exit 1; }
    set -- "$@" "$mocsrc"
  done
  for src in "$@"; do
    obj="$out/obj/$(basename "$src").o"
    # shellcheck disable=SC2086
    $launcher "$clangxx" "${flags[@]}" "${incflags[@]}" $qtcflags -c "$src" -o "$obj" \
      || { echo "cannot build the fuzz target $name ($src)"; exit 1; }
    objects+=("$obj")
  done
  # shellcheck disable=SC2086
  "$clangxx" -fsanitize=fuzzer,address,undefined "${objects[@]}" -o "$binary" $qtlibs \
    || { echo "cannot link the fuzz target $name"; exit 1; }
fi

cd "$out" || exit 1
seedargs=()
[ "$seeds" != "-" ] && [ -d "$seeds" ] && seedargs=("$seeds")
"./$name" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=16384 -timeout=10 \
  -print_final_stats=1 -artifact_prefix="$out/" corpus "${seedargs[@]}" >"$out/last-run.log" 2>&1
status=$?
tail -n 25 "$out/last-run.log"
if [ "$status" -ne 0 ]; then
  echo "fuzz target $name failed (status $status); the input is in $out (crash-*, leak-*, timeout-*)"
  exit 1
fi
echo "fuzz target $name ran clean"
