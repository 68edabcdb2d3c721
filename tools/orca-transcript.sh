#!/usr/bin/env bash
# Runs Lumenfold under Orca on a virtual X display with its own D-Bus session
# and accessibility bus, inside network namespaces whose hosts file points the
# program's host names at local servers, and prints what Orca speaks at each
# step: start, results, a Tab round, a tab switch, where-am-I, Adapter Info.
#   tools/orca-transcript.sh STATE [PROGRAM]   (as root)
# STATE is lan-and-wan-online, lan-only-offline, wan-only-online or offline;
# PROGRAM defaults to build/app/lumenfold ($LUMENFOLD_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
state="${1:?state}"
program="$(realpath "${2:-${LUMENFOLD_BUILD_DIR:-build}/app/Lumenfold 1.5}")"
tag="orca$$"
scratch="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  sleep 0.3
  for ns in "lf-$tag-c" "lf-$tag-u"; do
    ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null || true
    ip netns del "$ns" 2>/dev/null || true
    rm -rf "/etc/netns/lf-$tag-c" "/etc/netns/lf-$tag-u"
  done
  rm -rf "$scratch"
}
trap cleanup EXIT

serve() {  # serve NS ADDRESS BODY: answers every GET with BODY, for 5 minutes
  ip netns exec "$1" timeout 300 python3 -c '
import http.server, sys
body = sys.argv[2].encode()
class H(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200); self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body))); self.end_headers(); self.wfile.write(body)
    def log_message(self, *a): pass
http.server.HTTPServer((sys.argv[1], 80), H).serve_forever()' "$2" "$3" &
  pids+=($!)
}

client="lf-$tag-c"
ip netns add "$client"
ip -n "$client" link set lo up
mkdir -p "/etc/netns/$client"
case "$state" in
  lan-and-wan-online | lan-only-offline)
    upstream="lf-$tag-u"
    ip netns add "$upstream"
    ip -n "$upstream" link set lo up
    ip link add "v$tag" netns "$client" type veth peer name "u$tag" netns "$upstream"
    ip -n "$client" addr add 10.77.0.2/24 dev "v$tag"
    ip -n "$upstream" addr add 10.77.0.1/24 dev "u$tag"
    ip -n "$upstream" addr add 10.77.0.3/24 dev "u$tag"
    ip -n "$client" link set "v$tag" up
    ip -n "$upstream" link set "u$tag" up
    ip -n "$client" route add default via 10.77.0.1
    printf '10.77.0.1 api.ipify.org\n10.77.0.3 example.com\n' >"/etc/netns/$client/hosts"
    serve "$upstream" 10.77.0.1 203.0.113.45
    [ "$state" = lan-only-offline ] || serve "$upstream" 10.77.0.3 '<html>Example Domain</html>'
    ;;
  wan-only-online)
    printf '127.0.0.1 api.ipify.org example.com\n' >"/etc/netns/$client/hosts"
    serve "$client" 127.0.0.1 203.0.113.45
    ;;
  offline) printf '127.0.0.1 localhost\n' >"/etc/netns/$client/hosts" ;;
  *) echo "unknown state $state" >&2; exit 2 ;;
esac

export HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/run" XDG_CONFIG_HOME="$scratch/home/.config"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q . "$scratch/display" 2>/dev/null && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$scratch/display")"
# Path sockets, not abstract ones: those would not reach into the namespace.
dbus-daemon --session --nofork --address="unix:path=$scratch/bus" >/dev/null 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS="unix:path=$scratch/bus"
for _ in $(seq 50); do [ -S "$scratch/bus" ] && break; sleep 0.1; done
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
openbox >/dev/null 2>&1 &
pids+=($!)
if command -v pulseaudio >/dev/null; then
  pulseaudio --start --exit-idle-time=-1 >/dev/null 2>&1 && pactl load-module module-null-sink >/dev/null 2>&1 || true
fi
sleep 2
log="$scratch/orca.log"
orca -d braille -d main-window -d splash-window --debug-file="$log" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q "SPEECH OUTPUT\|Orca is" "$log" 2>/dev/null && break; sleep 0.2; done
sleep 2

seen=0
said() {  # prints the speech since the last call, under a heading
  sleep "${2:-2}"
  # Then until Orca has been quiet for a second: on a busy machine it
  # speaks seconds after the key.
  local size=-1 waited=0
  while [ "$size" != "$(stat -c %s "$log")" ] && [ "$waited" -lt 20 ]; do
    size="$(stat -c %s "$log")"; sleep 1; waited=$((waited + 1))
  done
  echo "== $1"
  seen="$(python3 - "$log" "$seen" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8", errors="replace").read()
spoken = re.findall(r"SPEECH OUTPUT: '(.*?)' ?\{'established", text, re.S)
for line in spoken[int(sys.argv[2]):]:
    print('  "' + line.replace("\n", " / ").strip() + '"', file=sys.stderr)
print(len(spoken))
PY
)" 2>&1
}
said "(orca started)" 0

env -u http_proxy -u HTTP_PROXY -u https_proxy -u HTTPS_PROXY -u all_proxy -u ALL_PROXY \
  ip netns exec "$client" env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$program" >/dev/null 2>&1 &
pids+=($!)
said "window appears" 2
said "results arrive" 4
# The stops of the first tab, round to where the round began.
for i in $(seq "${ORCA_TAB_ROUND:-6}"); do xdotool key Tab; said "Tab $i" 3; done
xdotool key Right; said "Right (tab switch)" 2.5
xdotool key ctrl+Tab; said "Ctrl+Tab" 2.5
xdotool key ctrl+Page_Down; said "Ctrl+PageDown" 2.5
xdotool key ctrl+Page_Up; said "Ctrl+PageUp" 2.5
xdotool key ctrl+Page_Up; said "Ctrl+PageUp" 2.5
xdotool key KP_Enter; said "where am I (KP_Enter)" 3
xdotool key Insert+KP_Enter; said "read title (Insert+KP_Enter)" 3
xdotool key Insert+KP_Enter Insert+KP_Enter; said "read status bar (Insert+KP_Enter twice)" 3
# Back from the tab row is the last stop, Adapter Info.
xdotool key shift+Tab; said "Shift+Tab" 2.5
xdotool key KP_Enter; said "where am I (KP_Enter)" 3
xdotool key space; said "Adapter Info opens" 6
xdotool key KP_Enter; said "where am I (KP_Enter)" 3
xdotool key ctrl+Home; said "Ctrl+Home" 2
xdotool key KP_Add; said "say all (KP_Add)" 6
xdotool key Tab; said "Tab in Adapter Info" 2.5
if [ -n "${ORCA_TRANSCRIPT_LOG:-}" ]; then cp "$log" "$ORCA_TRANSCRIPT_LOG"; fi
