#!/usr/bin/env bash
# Takes docs/state-*.png, the four connection states, by running the
# end-to-end test that builds each state in network namespaces of its own,
# under an Xvfb that picks a free display.
#   tools/state-screenshots.sh   (as root; the build folder is
#                                 $LUMENFOLD_BUILD_DIR, default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${LUMENFOLD_BUILD_DIR:-build}"
cmake --build "$build" --target connection_states_tests >/dev/null
scratch="$(mktemp -d)"
xvfb=""
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$scratch"' EXIT

# Xvfb picks a free display and writes its number once it is ready.
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do grep -q . "$scratch/display" 2>/dev/null && break; sleep 0.1; done
grep -q . "$scratch/display" || { echo "Xvfb did not start" >&2; exit 1; }

mkdir -p docs
DISPLAY=":$(head -1 "$scratch/display")" QT_QPA_PLATFORM=xcb LUMENFOLD_SCREENSHOTS="$PWD/docs" \
  "$build/tests/e2e/connection_states_tests"
echo "wrote docs/state-*.png"
