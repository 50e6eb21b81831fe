#!/usr/bin/env bash
# Installs what is missing, builds KR715Config and runs it on the embedded simulated
# P-NET network with its sample KR 715 ("FT101") selected.
# Without a display it runs under Xvfb, lets the polling run a few seconds, saves a
# screenshot of the main window and says where it is.
#
# "scripts/run.sh designer" builds KrDesigner, the seven component libraries and
# KR715Config instead and opens the sample page samples/plant.krpage in run mode
# (headless: a screenshot to out/designer.png).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

if [ "${1:-}" = designer ]; then
  scripts/build.sh build --target KrDesigner KR715Config Floor Open Close Bistate Glider TextView Launcher
  designer=build/bin/KrDesigner
  page=samples/plant.krpage
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$designer" --run "$page"
  fi
  shot=${SCREENSHOT:-$PWD/out/designer.png}
  mkdir -p "$(dirname "$shot")"
  xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
    designer=$1; page=$2; shot=$3
    "$designer" --run "$page" & pid=$!
    sleep "${RUN_SECONDS:-5}"
    if ! kill -0 $pid 2>/dev/null; then echo "KrDesigner ended early" >&2; exit 1; fi
    id=$(xwininfo -root -tree | awk "/\"KrDesigner - / {print \$1; exit}")
    if [ -z "$id" ]; then echo "designer window not found" >&2; kill $pid; exit 1; fi
    import -window "$id" "$shot"
    kill $pid; wait $pid 2>/dev/null || true
  ' _ "$designer" "$page" "$shot"
  echo "Screenshot of the sample page in run mode: $shot"
  exit 0
fi

scripts/build.sh build --target KR715Config
program=build/bin/KR715Config
physid=${1:-FT101}

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$program" "$physid"
fi

shot=${SCREENSHOT:-$PWD/out/kr715config.png}
mkdir -p "$(dirname "$shot")"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  program=$1; physid=$2; shot=$3
  "$program" "$physid" & pid=$!
  sleep "${RUN_SECONDS:-5}"
  if ! kill -0 $pid 2>/dev/null; then echo "KR715Config ended early" >&2; exit 1; fi
  id=$(xwininfo -root -tree | awk "/\"KR 715 Setup\"/ {print \$1; exit}")
  if [ -z "$id" ]; then echo "main window not found" >&2; kill $pid; exit 1; fi
  # The screen area of the main window, with any message the program shows over it.
  geometry=$(xwininfo -id "$id" | awk "/Absolute upper-left X/ {x=\$4} /Absolute upper-left Y/ {y=\$4}
    /Width:/ {w=\$2} /Height:/ {h=\$2} END {print w \"x\" h \"+\" x \"+\" y}")
  status=0
  import -window root -crop "$geometry" +repage "$shot" || status=$?
  kill $pid; wait $pid 2>/dev/null || true
  exit $status
' _ "$program" "$physid" "$shot"
echo "Screenshot of the main window: $shot"
