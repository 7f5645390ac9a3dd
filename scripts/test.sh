#!/usr/bin/env bash
# Installs, builds and runs the whole test suite; non-zero on any failure.
# TSL_BUILD_DIR and TSL_SANITIZE choose another tree (sanitizer builds);
# TSL_CMAKE_ARGS adds configuration options (e.g. -DTSL_BUILD_GUI=OFF).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
dir=${TSL_BUILD_DIR:-$root/build}
# shellcheck disable=SC2086
"$root/scripts/build.sh" "$dir" -DTSL_SANITIZE="${TSL_SANITIZE:-}" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${TSL_CMAKE_ARGS:-}
cd "$dir"
ctest --output-on-failure --timeout 300 -j "$(nproc)" ${TSL_CTEST_ARGS:-}
