#!/usr/bin/env bash
# Sets up the machine, builds Lumenfold and runs every test.
#   tools/test.sh             the normal build
#   tools/test.sh werror      the same with warnings as errors, as CI builds it
#   tools/test.sh sanitize    the same suite built with ASan and UBSan
#   tools/test.sh tsan        the toolkit, web request, probe and end-to-end tests
#                             built with ThreadSanitizer
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
tools/setup.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/tools/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tools/tsan.supp}"
status=0
ctest --preset "$preset" -j2 || status=$?

# ctest names the programs it skipped but not why; each one said why on a
# line of its own starting with "SKIP: ".
build_dir=build
[ "$preset" = default ] || build_dir="build-$preset"
log="$build_dir/Testing/Temporary/LastTest.log"
if [ -f "$log" ] && grep -q '^SKIP: ' "$log"; then
  echo "Skipped, and why:"
  awk '/^[0-9]+\/[0-9]+ Testing: / { name = $3 } /^SKIP: / { sub(/^SKIP: /, ""); print "  " name ": " $0 }' "$log" | sort -u
fi
exit "$status"
