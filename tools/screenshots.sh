#!/usr/bin/env bash
# Takes the README's screenshots of the main window's three tabs at scale 1
# and at QT_SCALE_FACTOR=2 into docs/. The program runs under an Xvfb of its
# own, inside a network namespace with a made-up LAN and its web services
# on loopback (tools/screenshot-session.sh), so the pictures show the
# "LAN And WAN - Online" state and never this machine's addresses.
#   tools/screenshots.sh          (as root; the build folder is
#                                  $LUMENFOLD_BUILD_DIR, default build)
# Needs xvfb, xdotool and imagemagick (tools/setup.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/screenshot-session.sh
screenshot_session 1024x768
program="$build/app/Lumenfold 1.5"
[ -x "$program" ] || { echo "build first: $program is missing" >&2; exit 1; }
mkdir -p docs

names=(wan-lan legend about)
for scale in 1 2; do
  QT_SCALE_FACTOR=$scale QT_QPA_PLATFORM=xcb ip netns exec "$ns" "$program" >/dev/null 2>&1 &
  app=$!
  window=""
  for _ in $(seq 100); do
    window=$(in_ns xdotool search --name 'Lumenfold v1.5' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "the main window did not appear" >&2; kill "$app"; exit 1; }
  # Past the two-second gathering display.
  sleep 3
  eval "$(in_ns xdotool getwindowgeometry --shell "$window")"
  for tab in 0 1 2; do
    # The three tabs share the 369-pixel-wide tab control; the header is 20 high.
    in_ns xdotool mousemove $((X + (tab * 123 + 61) * scale)) $((Y + 10 * scale)) click 1
    sleep 0.5
    in_ns import -window "$window" "docs/screenshot-${names[$tab]}-x${scale}.png"
  done
  kill "$app"
  wait "$app" 2>/dev/null || true
done
echo "wrote docs/screenshot-*.png"
