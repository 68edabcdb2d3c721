#!/usr/bin/env bash
# Orca, the screen reader, against the real program: in the state "LAN And
# WAN - Online" it must say what the window shows. Runs tools/orca-transcript.sh
# (Xvfb, its own D-Bus and accessibility bus, network namespaces with local
# servers) and looks in what Orca spoke for what a listener needs to hear.
#   orca_test.sh SOURCE_DIR PROGRAM
set -uo pipefail
source_dir="${1:?usage: orca_test.sh SOURCE_DIR PROGRAM}"
program="${2:?usage: orca_test.sh SOURCE_DIR PROGRAM}"
skip() {
  if [ "${LUMENFOLD_REQUIRE_NETNS:-}" = 1 ]; then echo "FAIL: cannot run, and CI requires it: $1"; exit 1; fi
  echo "SKIP: $1"; exit 77
}
[ "$(id -u)" -eq 0 ] || skip "needs root for network namespaces"
command -v orca >/dev/null || skip "orca is not installed (tools/setup.sh installs it)"
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi2-core is not installed"
ip netns add "lf-orcacheck-$$" 2>/dev/null || skip "cannot make a network namespace"
ip netns del "lf-orcacheck-$$"

heard="$(mktemp)"
orca_log="$(mktemp)"
trap 'rm -f "$heard" "$orca_log"' EXIT
# On a crowded machine Orca now and then stops in the middle of a run (its
# log ends there; nothing more is said, not even the keys): the tour is
# made again then, up to three times in all. A tour that got to Adapter
# Info is judged whole.
for attempt in 1 2 3; do
  ORCA_TRANSCRIPT_LOG="$orca_log" "$source_dir/tools/orca-transcript.sh" lan-and-wan-online "$program" >"$heard" 2>&1
  grep -qF '"Adapter Info frame."' "$heard" && break
  echo "(attempt $attempt: Orca stopped before the end of the tour; the end of its log:)"
  tail -n 5 "$orca_log" | cut -c1-200
done
cat "$heard"

failed=0
expect() {  # expect COUNT TEXT: TEXT is spoken COUNT times ("+" at least once)
  local n
  n="$(grep -cF -- "$2" "$heard")"
  if { [ "$1" = + ] && [ "$n" -eq 0 ]; } || { [ "$1" != + ] && [ "$n" -ne "$1" ]; }; then
    echo "FAIL: expected \"$2\" $1 time(s), heard it $n time(s)"
    failed=1
  fi
}
expect + '"{Qor} Lumenfold v1.5 frame."'            # the window is a frame
expect 2 '"notification LAN And WAN - Online."'     # the state, unasked, once a window
expect + 'Online Status: LAN And WAN - Online'      # and on the lamp bar
expect + 'Green lamp: Online, lit'
expect + 'Red lamp: off'                            # pressed, but dark
expect + '"Your Wan Ip Is: text."'                  # text boxes named, as text
expect + '"203.0.113.45 selected."'                 # the whole address
expect + '"Reload push button."'
expect + '"Adapter Info push button."'
expect 0 'Probe result'                             # txtStatus2 takes no focus
expect + '"Legend page tab."'                       # the tab switch heard
expect + '"1 of 3."'                                # where am I on the tabs
expect + '"Adapter Info frame."'
expect + '"Adapter report text."'
expect + '"notification 1 adapter(s) found.'        # the report, on opening
if [ "$failed" -ne 0 ]; then echo "--- the end of Orca's debug log:"; tail -n 60 "$orca_log"; fi
exit "$failed"
