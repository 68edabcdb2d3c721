#!/usr/bin/env bash
# Under a tight address-space limit, where a bare Qt window still starts,
# the program starts and stays up through its gathering: offscreen, in a
# network namespace with nothing in it so its web requests fail at once.
#   tight_memory_test.sh PROGRAM
set -uo pipefail
program="${1:?usage: tight_memory_test.sh PROGRAM}"
if unshare -n true 2>/dev/null; then
  isolate=(unshare -n)
elif unshare -r -n true 2>/dev/null; then
  isolate=(unshare -r -n)
else
  echo "SKIP: no network namespace here (needs root or user namespaces)"; exit 77
fi
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
(
  ulimit -v 120000
  exec env QT_QPA_PLATFORM=offscreen "${isolate[@]}" "$program"
) >"$log" 2>&1 &
pid=$!
sleep 4
if kill -0 "$pid" 2>/dev/null; then
  kill "$pid"; wait "$pid" 2>/dev/null
  echo "stayed up under ulimit -v 120000"
  exit 0
fi
wait "$pid"
echo "FAIL: ended under ulimit -v 120000 with status $?:"; cat "$log"
exit 1
