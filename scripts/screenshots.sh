#!/usr/bin/env bash
# screenshots.sh OUTDIR: builds the screenshot program and writes a picture of
# every page of the desktop program (named by page index and class), of the
# main window and of its dialogs into OUTDIR. Needs no display: it renders
# offscreen against simulated devices on 127.0.0.1.
set -euo pipefail
if [ $# -ne 1 ]; then
    echo "usage: $0 OUTDIR" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
out=$1
dir=${TSL_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
[ -f "$dir/CMakeCache.txt" ] || cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" --target tessaly-screenshots --parallel "${TSL_JOBS:-$(nproc)}"
QT_QPA_PLATFORM=offscreen "$dir/tools/screenshots/tessaly-screenshots" "$out"
