#!/usr/bin/env bash
# Takes the README's screenshots of the main window's three tabs at scale 1
# and at QT_SCALE_FACTOR=2, under a private Xvfb display, into docs/.
#   tools/screenshots.sh [DISPLAY_NUMBER]     (default 99)
# Needs a built tree (build/) and xvfb, xdotool and imagemagick.
set -euo pipefail
cd "$(dirname "$0")/.."
display=":${1:-99}"
program="build/app/Lumenfold 1.5"
mkdir -p docs

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

names=(wan-lan legend about)
for scale in 1 2; do
  QT_SCALE_FACTOR=$scale "$program" >/dev/null 2>&1 &
  app=$!
  window=""
  for _ in $(seq 100); do
    window=$(xdotool search --name 'Lumenfold v1.5' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "the main window did not appear" >&2; kill "$app"; exit 1; }
  # Past the two-second gathering display.
  sleep 3
  eval "$(xdotool getwindowgeometry --shell "$window")"
  for tab in 0 1 2; do
    # The three tabs share the 369-pixel-wide tab control; the header is 20 high.
    xdotool mousemove $((X + (tab * 123 + 61) * scale)) $((Y + 10 * scale)) click 1
    sleep 0.5
    import -window "$window" "docs/screenshot-${names[$tab]}-x${scale}.png"
  done
  kill "$app"
  wait "$app" 2>/dev/null || true
done
