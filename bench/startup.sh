#!/usr/bin/env bash
# Start-up benchmark: exec to main window mapped, with the address service
# answering at once on loopback inside a network namespace of its own,
# against a bare Qt Widgets window timed in the same run, and that window
# again with the program's libraries linked, which shows what loading them
# costs before any work is done. Needs root.
#   bench/startup.sh [RUNS] [EXTRA-PROGRAM...]
# Extra programs (an earlier build, say) are timed in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-20}"
shift || true
build="${LUMENFOLD_BUILD_DIR:-build}"
cmake --build "$build" --target lumenfold bare_window bare_window_linked map_timer address_server >/dev/null

. bench/namespace.sh
bench_namespace lf-bench $'127.0.0.1 localhost\n127.0.0.1 api.ipify.org\n'

in_ns() { ip netns exec "$ns" "$@"; }
# The servers are started without in_ns: a function sent to the background
# runs in a subshell, which would outlive them and report their end.
ip netns exec "$ns" "$build/bench/address_server" 127.0.0.1 80 600 &
# Xvfb picks a free display and writes its number once it is ready.
ip netns exec "$ns" Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
for _ in $(seq 100); do grep -q . "$scratch/display" 2>/dev/null && break; sleep 0.1; done
grep -q . "$scratch/display" || { echo "Xvfb did not start" >&2; exit 1; }
display=":$(head -1 "$scratch/display")"
sleep 0.5  # lets the address server come up as well

extra=()
for program in "$@"; do extra+=("'$program'"); done
export DISPLAY="$display" QT_QPA_PLATFORM=xcb
# Under a session bus of its own, as every desktop session has one: without
# it each Qt program started would launch a bus for itself, from inside the
# time measured. The bus ends with the timer.
in_ns dbus-run-session -- "$build/bench/map_timer" "$runs" \
  "'$build/bench/bare_window'" \
  "'$build/app/Lumenfold 1.5'" \
  "'$build/bench/bare_window_linked'" \
  "${extra[@]}"
