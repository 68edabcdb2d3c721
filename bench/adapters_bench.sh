#!/usr/bin/env bash
# Times the Adapter Info report for 1,000 interfaces against `ip -o addr show`
# listing the same namespace, and prints the ratio.
#   bench/adapters_bench.sh [RUNS]     (needs root and a built build/)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-20}"
binary="${LUMENFOLD_BUILD_DIR:-build}/bench/adapters_bench"
[ -x "$binary" ] || { echo "build first: $binary is missing" >&2; exit 1; }

ns="lf-bench-adapters-$$"
ip netns add "$ns"
trap 'ip netns del "$ns" 2>/dev/null || true' EXIT
ip -n "$ns" link set lo up

# Dummy interfaces where the kernel has the driver; bridges (equally
# self-contained) where it has not.
kind=dummy
ip -n "$ns" link add lfprobe type dummy 2>/dev/null && ip -n "$ns" link del lfprobe || kind=bridge
batch="$(mktemp)"
trap 'rm -f "$batch"; ip netns del "$ns" 2>/dev/null || true' EXIT
for i in $(seq 0 999); do
  name="lfb$i"
  echo "link add $name type $kind"
  echo "addr add 10.$((100 + i / 250)).$((i % 250)).1/24 dev $name"
  echo "link set $name up"
done > "$batch"
ip -n "$ns" -batch "$batch"
echo "namespace $ns: 1000 $kind interfaces with an address each"

ip netns exec "$ns" "$binary" "$runs"
