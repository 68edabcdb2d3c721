#!/usr/bin/env bash
# Report benchmark: `lumenfold --report` from exec to exit, against curl
# fetching the same two pages (the address service and the probe site) from
# the same local server, which answers at once, in a namespace of its own.
# The two are run in turn, RUNS times each, in the same run; the difference
# of the medians is what the report adds to its lookups. Needs root.
#   bench/report.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-30}"
build="${LUMENFOLD_BUILD_DIR:-build}"
cmake --build "$build" --target lumenfold address_server >/dev/null
program="$build/app/Lumenfold 1.5"

. bench/namespace.sh
bench_namespace lf-rbench $'127.0.0.1 localhost\n127.0.0.1 api.ipify.org\n127.0.0.1 example.com\n'
ip netns exec "$ns" "$build/bench/address_server" 127.0.0.1 80 600 &
in_ns() { ip netns exec "$ns" env -u http_proxy -u HTTP_PROXY -u all_proxy -u ALL_PROXY "$@"; }
for _ in $(seq 50); do in_ns curl -s -o /dev/null http://api.ipify.org/ && break; sleep 0.1; done

# Milliseconds (fractional) that one run of the command takes.
time_ms() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  echo $(( (end - start) / 1000 ))
}
median() { sort -n | awk '{ v[NR] = $1 } END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.1f", m / 1000 }'; }

in_ns "$program" --report >/dev/null  # warms the page cache
report=() curl=()
for _ in $(seq "$runs"); do
  report+=("$(time_ms in_ns "$program" --report)")
  curl+=("$(time_ms in_ns curl -s -o /dev/null http://api.ipify.org/ -o /dev/null http://example.com/)")
done
r=$(printf '%s\n' "${report[@]}" | median)
c=$(printf '%s\n' "${curl[@]}" | median)
awk -v r="$r" -v c="$c" -v n="$runs" 'BEGIN {
  printf "runs %d each, medians (ms):\n", n
  printf "  curl, the two lookups          %8.1f\n", c
  printf "  lumenfold --report             %8.1f\n", r
  printf "  difference                     %8.1f ms (target: at most 50)\n", r - c
  printf "  ratio                          %8.2f\n", r / c
}'
