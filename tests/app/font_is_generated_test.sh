#!/usr/bin/env bash
# The committed segment font is exactly what its generator draws, run after
# run: a change to the generator that was not followed by `--target font`,
# or output that depends on the day, fails here.
#   tests/app/font_is_generated_test.sh SOURCE_DIR
set -euo pipefail
source_dir="$1"
python=/usr/bin/python3
"$python" -c 'import fontTools' 2>/dev/null || { echo "python3-fonttools is missing (tools/setup.sh)"; exit 77; }
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
for run in 1 2; do
  "$python" "$source_dir/tools/fontgen/fontgen.py" "$scratch/run$run.ttf"
  cmp "$scratch/run$run.ttf" "$source_dir/app/assets/LumenfoldSegments.ttf" ||
    { echo "run $run differs from app/assets/LumenfoldSegments.ttf: regenerate it with --target font"; exit 1; }
done
