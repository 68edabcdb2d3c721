#!/usr/bin/env bash
# Measures what the display choice rests on, on sway: the program natively
# and through XWayland at output scales 1, 1.5 and 2, each window's
# read-outs cut from a grim screenshot and their sharpness printed (mean
# Laplacian, as tools/wayland-screenshots.sh --compare has it; higher is
# sharper, though a pixel-doubled picture scores high too, so the crops are
# kept in the scratch folder to look at). sway refuses to run as root, so it
# runs headless as the user `nobody` with a runtime folder of its own, and
# the program with it (XWayland takes only its own user's clients), inside
# the made-up LAN of tools/screenshot-session.sh. LUMENFOLD_KEEP=FOLDER
# keeps the screenshots and crops.
#   tools/sway-compare.sh     (as root; needs sway, grim, jq, xwayland)
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(pwd)/${LUMENFOLD_BUILD_DIR:-build}/app/Lumenfold 1.5"
[ -x "$program" ] || { echo "build first: $program is missing" >&2; exit 1; }
source tools/screenshot-session.sh
screenshot_network
runtime="$scratch/sway"
mkdir -m 700 "$runtime"
printf 'output HEADLESS-1 resolution 1000x700\nxwayland enable\n' >"$runtime/config"
chown -R nobody "$runtime"
chmod o+x "$scratch"
runuser -u nobody -- env -i HOME="$runtime" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless \
  WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway -c "$runtime/config" >"$scratch/sway.log" 2>&1 &
sway_pid=$!
trap 'kill "$sway_pid" 2>/dev/null; screenshot_cleanup' EXIT
for _ in $(seq 100); do ls "$runtime"/sway-ipc.*.sock >/dev/null 2>&1 && ls "$runtime"/wayland-? >/dev/null 2>&1 && break; sleep 0.1; done
ipc="$(ls "$runtime"/sway-ipc.*.sock)"
socket="$(ls "$runtime"/wayland-? | head -1)"
# sway hands its XWayland display to what it starts.
swaymsg -s "$ipc" exec "printenv DISPLAY >$runtime/display" >/dev/null
for _ in $(seq 50); do [ -s "$runtime/display" ] && break; sleep 0.1; done
x_display="$(cat "$runtime/display")"

sharpness() {
  convert "$1" -colorspace gray -define convolve:scale='!' -morphology Convolve Laplacian:0 -format '%[fx:mean*1000]' info:
}

for scale in 1 1.5 2; do
  swaymsg -s "$ipc" output HEADLESS-1 scale "$scale" >/dev/null
  for platform in wayland xcb; do
    ip netns exec "$ns" runuser -u nobody -- env QT_QPA_PLATFORM="$platform" WAYLAND_DISPLAY="$socket" \
      DISPLAY="$x_display" \
      XDG_RUNTIME_DIR="$runtime" "$program" >"$scratch/$platform.log" 2>&1 &
    app=$!
    for _ in $(seq 100); do
      swaymsg -s "$ipc" -t get_tree | grep -q 'Lumenfold v1.5' && break; sleep 0.1
    done
    sleep 3.5
    shot="$scratch/$platform-x$scale.png"
    WAYLAND_DISPLAY="$socket" XDG_RUNTIME_DIR="$runtime" grim "$shot"
    # The client area's corner in logical pixels; the read-outs below the tabs.
    read -r x y < <(swaymsg -s "$ipc" -t get_tree |
      jq -r '.. | select(.name? == "{Qor} Lumenfold v1.5") | "\(.rect.x + .window_rect.x) \(.rect.y + .window_rect.y)"' | head -1)
    crop=$(awk -v s="$scale" -v x="$x" -v y="$y" \
      'BEGIN { printf "%dx%d+%d+%d", 240 * s, 90 * s, (x + 15) * s, (y + 34) * s }')
    convert "$shot" -crop "$crop" +repage "$scratch/readouts-$platform-x$scale.png"
    echo "sway scale $scale $platform: read-outs sharpness $(sharpness "$scratch/readouts-$platform-x$scale.png")"
    kill "$app"; wait "$app" 2>/dev/null || true
  done
done
if [ -n "${LUMENFOLD_KEEP:-}" ]; then mkdir -p "$LUMENFOLD_KEEP" && cp "$scratch"/*.png "$LUMENFOLD_KEEP"/; fi
