#!/usr/bin/env bash
# The shared format and the static checks, over the product code (app/,
# probes/, adapters/, toolkit/, platform/).
#   tools/lint.sh format          fails on a file .clang-format would change,
#                                 and shows the change
#   tools/lint.sh format --fix    rewrites those files in place
#   tools/lint.sh tidy [FILE...]  fails on a .clang-tidy finding; needs a
#                                 configured build (LUMENFOLD_BUILD_DIR, else
#                                 build/) for its compile commands
set -euo pipefail
cd "$(dirname "$0")/.."
mode="${1:?usage: tools/lint.sh format [--fix] | tidy [FILE...]}"
shift
product_dirs=(app probes adapters toolkit platform)

case "$mode" in
format)
  mapfile -t files < <(git ls-files -- "${product_dirs[@]/%//*.cpp}" "${product_dirs[@]/%//*.h}")
  if [ "${1:-}" = --fix ]; then
    clang-format -i "${files[@]}"
    exit 0
  fi
  bad=0
  for f in "${files[@]}"; do
    if ! clang-format "$f" | diff -u --label "$f" --label "$f (formatted)" "$f" -; then
      bad=$((bad + 1))
    fi
  done
  if [ "$bad" -gt 0 ]; then
    echo "$bad file(s) differ from .clang-format; tools/lint.sh format --fix rewrites them" >&2
    exit 1
  fi
  echo "format: ${#files[@]} files as .clang-format has them"
  ;;
tidy)
  build="${LUMENFOLD_BUILD_DIR:-build}"
  [ -f "$build/compile_commands.json" ] || { echo "no $build/compile_commands.json: configure a build first" >&2; exit 2; }
  # The moc and rcc sources the compile commands name are made by the build.
  cmake --build "$build" --target lumenfold >/dev/null
  if [ $# -gt 0 ]; then
    files=("$@")
  else
    mapfile -t files < <(git ls-files -- "${product_dirs[@]/%//*.cpp}")
  fi
  log="$(mktemp)"
  trap 'rm -f "$log"' EXIT
  # One clang-tidy per core; each prints its findings, and any finding is
  # an error (WarningsAsErrors in .clang-tidy).
  if ! printf '%s\0' "${files[@]}" |
      xargs -0 -n1 -P"$(nproc)" clang-tidy -p "$build" --quiet >"$log" 2>&1; then
    grep -E '(warning|error):' "$log" | sort -u >&2 || cat "$log" >&2
    echo "tidy: findings above" >&2
    exit 1
  fi
  echo "tidy: ${#files[@]} files without a finding"
  ;;
*)
  echo "unknown mode $mode: format or tidy" >&2
  exit 2
  ;;
esac
