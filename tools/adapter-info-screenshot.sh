#!/usr/bin/env bash
# Takes docs/adapter-info.png: the Adapter Info window over the main window,
# under a private Xvfb display.
#   tools/adapter-info-screenshot.sh [DISPLAY_NUMBER]
set -euo pipefail
cd "$(dirname "$0")/.."
display=":${1:-95}"
driver="${LUMENFOLD_BUILD_DIR:-build}/tests/adapters/adapter_info_shot"
[ -x "$driver" ] || { echo "build first: $driver is missing" >&2; exit 1; }

Xvfb "$display" -screen 0 800x500x24 -nolisten tcp &
xvfb=$!
wm=""
trap 'kill $wm "$xvfb" 2>/dev/null || true' EXIT
sleep 1
# Title bars, when a window manager is at hand; the picture is fine without.
if command -v openbox >/dev/null; then
  DISPLAY="$display" openbox >/dev/null 2>&1 &
  wm=$!
  sleep 1
fi
DISPLAY="$display" QT_QPA_PLATFORM=xcb "$driver" 4 &
driven=$!
sleep 3
mkdir -p docs
DISPLAY="$display" import -window root -crop 520x330+80+80 +repage docs/adapter-info.png
wait "$driven"
echo "wrote docs/adapter-info.png"
