#!/usr/bin/env bash
# Screenshots of every tab of the main window, as the operator sees them on the
# simulated network, into docs/ (or the folder given as $1): kr715config-<n>-<tab>.png.
# Runs the program under Xvfb (DPI as $DPI, default 96) and switches the tabs with
# Ctrl+Tab as an operator would.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs}
dpi=${DPI:-96}
program=${PROGRAM:-build/bin/KR715Config}
physid=${PHYSID:-FT101}
mkdir -p "$out"
out=$(cd "$out" && pwd)
xvfb-run -a -s "-screen 0 1024x768x24 -dpi $dpi" bash -c '
  program=$1; physid=$2; out=$3; dpi=$4
  QT_FONT_DPI=$dpi "$program" "$physid" & pid=$!
  sleep 4
  id=$(xwininfo -root -tree | awk "/\"KR 715 Setup\"/ {print \$1; exit}")
  if [ -z "$id" ]; then echo "main window not found" >&2; kill $pid; exit 1; fi
  suffix=""; [ "$dpi" != 96 ] && suffix="-${dpi}dpi"
  n=1
  for tab in general data output3 output2 units-input config; do
    sleep 1.5
    import -window "$id" "$out/kr715config-$n-$tab$suffix.png"
    xdotool key --window "$id" ctrl+Tab
    n=$((n + 1))
  done
  kill $pid; wait $pid 2>/dev/null || true
' _ "$program" "$physid" "$out" "$dpi"
ls "$out"/kr715config-*
