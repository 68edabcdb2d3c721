#!/usr/bin/env bash
# Responsiveness benchmark: the UI thread's worst stretch without serving
# events (the lateness of a 10 ms timer) while the main window's probe waits
# 20 s on a site that accepts and never answers, against an idle window in
# the same run. Runs offscreen inside a network namespace of its own. Needs
# root; takes about a minute.
#   bench/responsiveness.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build="${LUMENFOLD_BUILD_DIR:-build}"
cmake --build "$build" --target responsiveness >/dev/null

. bench/namespace.sh
# The address service is not there (refused at once); the probe site stalls.
bench_namespace lf-bench $'127.0.0.1 localhost\n127.0.0.1 api.ipify.org\n127.0.0.2 example.com\n'

QT_QPA_PLATFORM=offscreen ip netns exec "$ns" "$build/bench/responsiveness"
