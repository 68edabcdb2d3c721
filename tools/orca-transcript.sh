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
orca_pid=$!
pids+=($orca_pid)
for _ in $(seq 100); do grep -q "SPEECH OUTPUT\|Orca is" "$log" 2>/dev/null && break; sleep 0.2; done
sleep 2

# Each step is noted with the time it began; at the end every utterance in
# Orca's log goes under the last step begun before Orca spoke it.
steps="$scratch/steps"
: >"$steps"
step() {  # step NAME SECONDS [KEY...]: note the step, press the keys, give Orca SECONDS
  echo "$(date +%H:%M:%S.%N | cut -c1-15) $1" >>"$steps"
  local seconds="$2"
  shift 2
  [ $# -eq 0 ] || xdotool key --delay 150 "$@"
  sleep "$seconds"
}
transcript() {
  python3 - "$log" "$steps" <<'PY'
import re, sys
log = open(sys.argv[1], encoding="utf-8", errors="replace").read()
steps = [l.rstrip("\n").split(" ", 1) for l in open(sys.argv[2]) if l.strip()]
# What it speaks, and what it reads in a say-all (handed to the speech
# server in one go, so logged apart).
spoken = re.findall(r"^(\d\d:\d\d:\d\d\.\d+) - (?:SPEECH OUTPUT: |DEFAULT SAY ALL: \[[^]]*\] )'(.*?)'(?: ?\{'established| \(\d)",
                    log, re.S | re.M)
current = -1
for time, text in spoken:
    while current + 1 < len(steps) and steps[current + 1][0] <= time:
        current += 1
        print("== " + steps[current][1])
    if current < 0:
        continue
    print('  "' + re.sub(r"\s*\n\s*", " / ", text.strip()) + '"')
while current + 1 < len(steps):
    current += 1
    print("== " + steps[current][1])
PY
}

step "(Orca running)" 0
env -u http_proxy -u HTTP_PROXY -u https_proxy -u HTTPS_PROXY -u all_proxy -u ALL_PROXY \
  ip netns exec "$client" env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$program" >/dev/null 2>&1 &
pids+=($!)
step "start: the window appears (then the results, about 2 s later)" 7
# The stops of the first tab, round to where the round began.
for i in $(seq "${ORCA_TAB_ROUND:-6}"); do step "Tab $i" 3 Tab; done
step "Right (tab switch)" 2.5 Right
step "Ctrl+Tab" 2.5 ctrl+Tab
step "Ctrl+PageDown" 2.5 ctrl+Page_Down
step "Ctrl+PageUp" 2.5 ctrl+Page_Up
step "Ctrl+PageUp" 2.5 ctrl+Page_Up
step "Ctrl+Shift+Tab" 2.5 ctrl+shift+Tab
step "where am I (KP_Enter)" 3 KP_Enter
step "read title (Insert+KP_Enter)" 3 Insert+KP_Enter
step "read status bar (Insert+KP_Enter twice)" 3 Insert+KP_Enter Insert+KP_Enter
# Back from the tab row are the last stops, Adapter Info and Reload.
step "Shift+Tab" 2.5 shift+Tab
step "where am I (KP_Enter)" 3 KP_Enter
step "Shift+Tab" 2.5 shift+Tab
step "Reload (the window again, then its results)" 9 space
step "Shift+Tab" 2.5 shift+Tab
step "Adapter Info opens" 6 space
step "where am I (KP_Enter)" 3 KP_Enter
step "Ctrl+Home" 2 ctrl+Home
step "say all (KP_Add)" 6 KP_Add
step "Tab in Adapter Info" 2.5 Tab
# On a busy machine Orca speaks seconds behind the keys: let it catch up,
# then end it, which writes out the rest of its log.
size=-1
for _ in $(seq 30); do
  [ "$size" = "$(stat -c %s "$log")" ] && break
  size="$(stat -c %s "$log")"
  sleep 2
done
kill "$orca_pid" 2>/dev/null || true
for _ in $(seq 50); do kill -0 "$orca_pid" 2>/dev/null || break; sleep 0.1; done
transcript
if [ -n "${ORCA_TRANSCRIPT_LOG:-}" ]; then cp "$log" "$ORCA_TRANSCRIPT_LOG"; fi
