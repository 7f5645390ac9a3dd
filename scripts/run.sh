#!/usr/bin/env bash
# Installs, builds and runs the main job.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
dir=$root/build
"$root/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "SDK library: $dir/sdk/libTessaly.so (headers in $root/sdk/include)"
