# Sourced by the screenshot scripts. Sets up what a picture of the program
# needs without touching the machine's own network: a network namespace
# with a made-up LAN (eth0, 192.168.1.10/24, gateway 192.168.1.1 in a second
# namespace) and the address service and probe site answering on its
# loopback, and an Xvfb in it that picks a free display, or a headless
# weston (native Wayland, optionally with XWayland). Needs root.
#   screenshot_session WIDTHxHEIGHT    then: in_ns COMMAND..., $DISPLAY, $build
#   wayland_session WIDTH HEIGHT SCALE [xwayland]
#                                      then: $WAYLAND_DISPLAY, $XDG_RUNTIME_DIR,
#                                      with xwayland $DISPLAY; wayland_windows
# Everything started is stopped and removed when the script exits.
build="${LUMENFOLD_BUILD_DIR:-build}"
ns="lf-shot-$$"
upstream="lf-shot-up-$$"
scratch="$(mktemp -d)"

screenshot_cleanup() {
  for n in "$ns" "$upstream"; do
    ip netns pids "$n" 2>/dev/null | xargs -r kill 2>/dev/null || true
    ip netns del "$n" 2>/dev/null || true
  done
  rm -rf "/etc/netns/$ns" "$scratch"
}
trap screenshot_cleanup EXIT

in_ns() { ip netns exec "$ns" "$@"; }

screenshot_network() {
  # The host names the program asks for, as the code spells them.
  local address_host probe_host
  address_host=$(sed -n 's|.*kPublicAddressUrl = "http://\([^/"]*\).*|\1|p' probes/PublicAddress.h)
  probe_host=$(sed -n 's|.*kProbeUrl = "http://\([^/"]*\).*|\1|p' probes/Connectivity.h)
  cmake --build "$build" --target address_server >/dev/null

  ip netns add "$ns"
  ip netns add "$upstream"
  ip -n "$ns" link set lo up
  ip -n "$ns" link add eth0 type veth peer name uplink
  ip -n "$ns" link set uplink netns "$upstream"
  ip -n "$ns" addr add 192.168.1.10/24 dev eth0
  ip -n "$upstream" addr add 192.168.1.1/24 dev uplink
  ip -n "$ns" link set eth0 up
  ip -n "$upstream" link set uplink up
  ip -n "$ns" route add default via 192.168.1.1
  mkdir -p "/etc/netns/$ns"
  printf '127.0.0.1 localhost\n127.0.0.1 %s\n127.0.0.1 %s\n' "$address_host" "$probe_host" >"/etc/netns/$ns/hosts"

  # Started without in_ns: a function sent to the background runs in a
  # subshell, which would outlive what it started.
  ip netns exec "$ns" "$build/bench/address_server" 127.0.0.1 80 600 >/dev/null 2>&1 &
  # Until the address service takes connections.
  for _ in $(seq 50); do in_ns bash -c 'exec 3<>/dev/tcp/127.0.0.1/80' 2>/dev/null && break; sleep 0.1; done
}

screenshot_session() {
  local size="$1"
  screenshot_network
  # Xvfb picks a free display and writes its number once it is ready.
  ip netns exec "$ns" Xvfb -displayfd 3 -noreset -screen 0 "${size}x24" -nolisten tcp \
    3>"$scratch/display" >/dev/null 2>&1 &
  for _ in $(seq 100); do grep -q . "$scratch/display" 2>/dev/null && break; sleep 0.1; done
  grep -q . "$scratch/display" || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -1 "$scratch/display")"
}

wayland_session() {
  local width="$1" height="$2" scale="$3" xwayland="${4:-}"
  screenshot_network
  export XDG_RUNTIME_DIR="$scratch/runtime" WAYLAND_DISPLAY="lf-shot-$$"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  unset DISPLAY
  # --debug lets weston-screenshooter and weston-debug in.
  ip netns exec "$ns" weston --backend=headless-backend.so --use-pixman --no-config --debug --idle-time=0 \
    --socket="$WAYLAND_DISPLAY" --width="$width" --height="$height" --scale="$scale" \
    ${xwayland:+--xwayland} --log="$scratch/weston.log" &
  for _ in $(seq 100); do
    timeout 2 weston-debug scene-graph 2>/dev/null | grep -q "Output 0" && break
    sleep 0.1
  done
  if [ -n "$xwayland" ]; then
    # weston starts Xwayland on a display of its choice and logs it.
    for _ in $(seq 100); do grep -q "xserver listening on display" "$scratch/weston.log" && break; sleep 0.1; done
    export DISPLAY="$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$scratch/weston.log" | head -1)"
  fi
}

# The top-level windows weston shows, topmost first: one line each,
# "X Y WIDTH HEIGHT TITLE" in logical pixels.
wayland_windows() {
  timeout 2 weston-debug scene-graph 2>/dev/null | awk '
    /top-level window/ { t = $0; sub(/.*top-level window ./, "", t); sub(/. of .*|., 0x.*/, "", t); want = 1; next }
    /xwayland/ { t = "(X11 window)"; want = 1; next }
    want && /position:/ { gsub(/[(),>-]/, " "); print $2, $3, $4 - $2, $5 - $3, t; want = 0 }'
}
