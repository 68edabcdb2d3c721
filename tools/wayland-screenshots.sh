#!/usr/bin/env bash
# Takes the README's native-Wayland screenshots into docs/: the main window,
# title bar included, on a headless weston at output scale 1 and 2, inside a
# network namespace with a made-up LAN and its web services on loopback
# (tools/screenshot-session.sh). With --compare it also runs the program
# through XWayland on the same weston at scale 2 and prints what the choice
# of platform rests on: where each window went, how sharp the read-outs are
# (mean Laplacian of the client area, higher is sharper) and which
# decorations each gets.
#   tools/wayland-screenshots.sh [--compare]     (as root)
# Needs weston, xwayland, qt6-wayland and imagemagick (tools/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
compare="${1:-}"
program="$(pwd)/${LUMENFOLD_BUILD_DIR:-build}/app/Lumenfold 1.5"
[ -x "$program" ] || { echo "build first: $program is missing" >&2; exit 1; }
mkdir -p docs

# take PLATFORM SCALE NAME: starts the program, saves the screen as NAME.png
# and the windows as NAME.windows in the scratch folder, and prints them.
take() {
  local platform="$1" scale="$2" name="$3"
  env QT_QPA_PLATFORM="$platform" ip netns exec "$ns" "$program" >"$scratch/$name.log" 2>&1 &
  local app=$!
  # Past the fetch and the two-second gathering display.
  for _ in $(seq 100); do wayland_windows | grep -q . && break; sleep 0.1; done
  sleep 3.5
  (cd "$scratch" && rm -f wayland-screenshot-*.png && weston-screenshooter && mv wayland-screenshot-*.png "$name.png")
  wayland_windows >"$scratch/$name.windows"
  echo "$name:"; sed 's/^/  /' "$scratch/$name.windows"
  kill "$app"; wait "$app" 2>/dev/null || true
}

# crop NAME SCALE X Y W H OUT
crop() { convert "$scratch/$1.png" -crop "$(($5 * $2))x$(($6 * $2))+$(($3 * $2))+$(($4 * $2))" +repage "$7"; }

sharpness() {
  convert "$1" -colorspace gray -define convolve:scale='!' -morphology Convolve Laplacian:0 -format '%[fx:mean*1000]' info:
}

# readouts SCREEN.png OUT.png: the three read-outs of a window at scale 2,
# found from the bottom-right corner of its black panel (732 x 344 device
# pixels), whatever frame is around it.
readouts() {
  local w h x y
  read -r w h x y < <(convert "$1" -fill white +opaque black -trim -format '%w %h %X %Y\n' info:)
  convert "$1" -crop "480x180+$((x + w - 732 + 30))+$((y + h - 344 + 20))" +repage "$2"
}

# Each session in a subshell of its own, which cleans it up as it ends.
for scale in 1 2; do (
  source tools/screenshot-session.sh
  wayland_session 800 500 "$scale"
  take wayland "$scale" "native-x$scale"
  read -r x y w h _ <"$scratch/native-x$scale.windows"
  crop "native-x$scale" "$scale" "$x" "$y" "$w" "$h" "docs/wayland-x$scale.png"
  if [ "$compare" = --compare ] && [ "$scale" = 2 ]; then
    readouts "$scratch/native-x2.png" /tmp/lumenfold-readouts-native-x2.png
    echo "  read-outs sharpness $(sharpness /tmp/lumenfold-readouts-native-x2.png)"
  fi
) done

if [ "$compare" = --compare ]; then (
  source tools/screenshot-session.sh
  wayland_session 800 500 2 xwayland
  take xcb 2 xwayland-x2
  readouts "$scratch/xwayland-x2.png" /tmp/lumenfold-readouts-xwayland-x2.png
  echo "  read-outs sharpness $(sharpness /tmp/lumenfold-readouts-xwayland-x2.png)"
) fi
