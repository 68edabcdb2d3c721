#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz, the fuzz preset: clang with
# ASan and UBSan) and runs each for a bounded time, starting from its seed
# corpus in the tree; what a run finds new goes to a scratch folder, not
# into the tree. A crash stops the run with the input libFuzzer wrote
# (crash-*): keep it in the target's folder as a test case.
#   tools/fuzz.sh [SECONDS] [TARGET...]   SECONDS per target, default 60
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_http_reply fuzz_proxies fuzz_rtnetlink fuzz_adapter_report)
tools/setup.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake --preset fuzz "${launcher[@]}" >/dev/null
cmake --build --preset fuzz
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
status=0
for target in "${targets[@]}"; do
  mkdir -p "$scratch/$target"
  log="$scratch/$target.log"
  if build-fuzz/tests/fuzz/"$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$PWD/" \
      "$scratch/$target" "tests/fuzz/$target" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$target: ${runs:-?} inputs in ${seconds} s, no finding"
  else
    status=1
    echo "$target: FOUND A FAULT"
    grep -E -A30 'ERROR:|runtime error' "$log" | head -60
  fi
done
exit "$status"
