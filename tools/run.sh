#!/usr/bin/env bash
# Sets up the machine, builds Lumenfold and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec "build/app/Lumenfold 1.5"
