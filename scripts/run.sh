#!/usr/bin/env bash
# Installs, builds and runs the main job: one simulated device of each family
# on 127.0.0.1, ready for the SDK (and later the desktop program) to log in.
# TSL_RUN_SECONDS=N stops the simulator after N seconds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
dir=$root/build
"$root/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "SDK library: $dir/sdk/libTessaly.so (headers in $root/sdk/include)"
echo "Simulated devices: log in with TSL_NET_DEV_Login(type, \"127.0.0.1\", port, \"admin\", \"admin123\", 5000, &info)"
args=(--all --port "${TSL_DEVSIM_PORT:-9100}")
[ -n "${TSL_RUN_SECONDS:-}" ] && args+=(--seconds "$TSL_RUN_SECONDS")
exec "$dir/tools/devsim/tessaly-devsim" "${args[@]}"
