#!/usr/bin/env bash
# Runs a test program under an X server of its own with the desktop's dark
# theme as Debian's GTK platform theme gives it to Qt (gnome-themes-extra's
# Adwaita:dark), so that it measures the palette a dark desktop really has.
#   dark_desktop_test.sh PROGRAM [ARGUMENTS...]
set -uo pipefail
program="${1:?usage: dark_desktop_test.sh PROGRAM [ARGUMENTS...]}"
shift
command -v Xvfb >/dev/null || { echo "SKIP: no Xvfb"; exit 77; }
ls /usr/lib/*/qt6/plugins/platformthemes/libqgtk3.so >/dev/null 2>&1 ||
  { echo "SKIP: no GTK platform theme (qt6-gtk-platformtheme)"; exit 77; }
folder="$(mktemp -d)"
server=""
trap '[ -z "$server" ] || kill "$server" 2>/dev/null; wait 2>/dev/null; rm -rf "$folder"' EXIT
# Servers that other tests start at the same moment can race for the same
# free number and leave one of them without its socket: start again when
# the display does not answer.
display=""
for _ in 1 2 3; do
  rm -f "$folder/display"
  Xvfb -displayfd 3 -noreset -nolisten tcp 3>"$folder/display" >/dev/null 2>&1 &
  server=$!
  for _ in $(seq 100); do [ -s "$folder/display" ] && break; sleep 0.05; done
  if [ -s "$folder/display" ] && DISPLAY=":$(head -n1 "$folder/display")" xdpyinfo >/dev/null 2>&1; then
    display=":$(head -n1 "$folder/display")"
    break
  fi
  kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; server=""
done
[ -n "$display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
env DISPLAY="$display" XDG_RUNTIME_DIR="$folder" QT_QPA_PLATFORM=xcb \
  QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark LUMENFOLD_DESKTOP_PALETTE=1 "$program" "$@"
