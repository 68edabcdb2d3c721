#!/usr/bin/env bash
# Under a tight address-space limit, where a bare Qt window still starts,
# the program starts and stays up through its gathering: offscreen, and on
# X11 (an Xvfb of the test's own), where its window must also appear. In a
# network namespace with nothing in it, so its web requests fail at once.
#   tight_memory_test.sh PROGRAM [BARE_WINDOW]
set -uo pipefail
program="${1:?usage: tight_memory_test.sh PROGRAM [BARE_WINDOW]}"
bare="${2:-}"
# A bare Qt window shows itself on X11 from about 103 MB on (Debian 12,
# Qt 6.4); Lumenfold from about 98 MB.
limit=110000
if unshare -n true 2>/dev/null; then
  isolate=(unshare -n)
elif unshare -r -n true 2>/dev/null; then
  isolate=(unshare -r -n)
else
  echo "SKIP: no network namespace here (needs root or user namespaces)"; exit 77
fi
work="$(mktemp -d)"
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# run NAME WINDOW_TITLE ENV...: starts PROGRAM (or the bare window) under the
# limit, and answers whether it is still up after 4 s, with its window shown
# when a title is given.
run() {
  local name="$1" title="$2" binary="$3"; shift 3
  local log="$work/$name.log"
  ( ulimit -v "$limit"; exec env "$@" "${isolate[@]}" "$binary" ) >"$log" 2>&1 &
  local pid=$!
  local shown=""
  for _ in $(seq 40); do
    sleep 0.1
    kill -0 "$pid" 2>/dev/null || break
  done
  if [ -n "$title" ]; then
    # A loaded machine may take a while to draw it.
    for _ in $(seq 200); do
      DISPLAY="$display" xdotool search --onlyvisible --name "$title" >/dev/null 2>&1 && { shown=yes; break; }
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
  fi
  if kill -0 "$pid" 2>/dev/null && { [ -z "$title" ] || [ -n "$shown" ]; }; then
    kill "$pid"; wait "$pid" 2>/dev/null
    echo "$name: up under ulimit -v $limit"
    return 0
  fi
  kill "$pid" 2>/dev/null
  wait "$pid"; local status=$?
  echo "FAIL: $name under ulimit -v $limit: status $status, window ${shown:-not shown}:"; cat "$log"
  return 1
}

status=0
run offscreen "" "$program" QT_QPA_PLATFORM=offscreen || status=1

if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
  echo "SKIP: X11 part: needs Xvfb and xdotool"; exit "$status"
fi
# A display of our own, at a number of our own: other tests start theirs
# at the same time, and two servers racing for the first free number can
# leave one of them without its socket.
display=""
for attempt in $(seq 20); do
  number=$(( 100 + ($$ * 7 + attempt) % 800 ))
  [ -e "/tmp/.X${number}-lock" ] && continue
  timeout 300 Xvfb ":$number" -noreset -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do
    DISPLAY=":$number" xdotool getdisplaygeometry >/dev/null 2>&1 && { display=":$number"; break; }
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$display" ] && break
  kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; xvfb=""
done
[ -n "$display" ] || { echo "FAIL: no Xvfb of our own could be started"; exit 1; }
if [ -n "$bare" ]; then
  # The premise: a bare Qt window starts here. If it does not, the limit
  # says nothing about this machine.
  run "bare Qt window on X11" "bare window" "$bare" QT_QPA_PLATFORM=xcb DISPLAY="$display" || status=1
fi
run "Lumenfold on X11" "Lumenfold" "$program" QT_QPA_PLATFORM=xcb DISPLAY="$display" || status=1
exit "$status"
