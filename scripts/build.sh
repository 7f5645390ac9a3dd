#!/usr/bin/env bash
# build.sh DIR [cmake args...]: configures (once) and builds a tree;
# TSL_JOBS=N builds with N jobs (all cores by default), as screenshots.sh does.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" --parallel "${TSL_JOBS:-$(nproc)}"
