# Sourced by the benchmarks: a network namespace for the run, with loopback
# up and its own hosts file (which `ip netns exec` lays over /etc/hosts), and
# a scratch folder; both go, with whatever still runs in the namespace, when
# the script exits.
#   bench_namespace NAME-PREFIX HOSTS-FILE-TEXT   (sets ns and scratch)
bench_namespace() {
  ns="$1-$$"
  scratch="$(mktemp -d)"
  trap bench_namespace_remove EXIT
  ip netns add "$ns"
  ip -n "$ns" link set lo up
  mkdir -p "/etc/netns/$ns"
  printf '%s' "$2" > "/etc/netns/$ns/hosts"
}

bench_namespace_remove() {
  ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null || true
  ip netns del "$ns" 2>/dev/null || true
  rm -rf "/etc/netns/$ns" "$scratch"
}
