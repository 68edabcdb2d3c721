#!/usr/bin/env bash
# Takes docs/adapter-info.png: the Adapter Info window over the main window,
# under an Xvfb of its own, inside a network namespace with a made-up LAN
# and the web services on loopback (tools/screenshot-session.sh), so the
# list shows that LAN and never this machine's adapters.
#   tools/adapter-info-screenshot.sh   (as root; the build folder is
#                                       $LUMENFOLD_BUILD_DIR, default build)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/screenshot-session.sh
driver="$build/tools/screenshots/adapter_info_shot"
[ -x "$driver" ] || { echo "build first: $driver is missing" >&2; exit 1; }
screenshot_session 800x500

# Title bars, when a window manager is at hand; the picture is fine without.
if command -v openbox >/dev/null; then
  ip netns exec "$ns" openbox >/dev/null 2>&1 &
  sleep 1
fi
QT_QPA_PLATFORM=xcb ip netns exec "$ns" "$driver" 4 &
driven=$!
sleep 3
mkdir -p docs
in_ns import -window root -crop 520x330+80+80 +repage docs/adapter-info.png
wait "$driven"
echo "wrote docs/adapter-info.png"
