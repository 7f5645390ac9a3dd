#!/usr/bin/env bash
# Installs, builds and runs the desktop program against one simulated device
# of each family on 127.0.0.1. The program starts in build/run/, whose saved
# list "./devices.bin" names those six devices (written on the first run only:
# a list of your own there is never overwritten). Ctrl-C or closing the window
# stops both. TSL_RUN_SECONDS=N closes the program after N seconds;
# TSL_DEVSIM_PORT=BASE moves the six devices to BASE to BASE+5 (default 9100).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run.sh: no display (DISPLAY and WAYLAND_DISPLAY are empty); for pictures of every page run scripts/screenshots.sh OUTDIR, or start this under xvfb-run -a" >&2
    exit 1
fi
"$root/scripts/install-deps.sh"
dir=$root/build
"$root/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
base=${TSL_DEVSIM_PORT:-9100}
case $base in
'' | *[!0-9]* | ???????*) base=0 ;;
*) base=$((10#$base)) ;;
esac
if [ "$base" -lt 1 ] || [ "$base" -gt 65530 ]; then
    echo "run.sh: TSL_DEVSIM_PORT must be a port from 1 to 65530 (the six devices use BASE to BASE+5)" >&2
    exit 1
fi
work=$dir/run
mkdir -p "$work"

# The simulator's start-up output is held back until every device listens:
# the window must not open onto a port some other program answers on.
simout=$(mktemp -d)
"$dir/tools/devsim/tessaly-devsim" --all --port "$base" >"$simout/out" 2>"$simout/err" &
sim=$!
app=
stop() {
    trap - EXIT INT TERM
    [ -n "$app" ] && kill -TERM "$app" 2>/dev/null && wait "$app" 2>/dev/null
    kill -TERM "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
    rm -rf "$simout"
    true
}
trap stop EXIT
trap 'stop; exit 130' INT TERM

# The devices bind in order, so the first one not listening names the port.
listening=0
for _ in $(seq 200); do
    listening=$(grep -c ' listening on ' "$simout/out" || true)
    [ "$listening" -ge 6 ] && break
    kill -0 "$sim" 2>/dev/null || break
    sleep 0.05
done
if [ "$listening" -lt 6 ]; then
    if grep -q 'Address already in use' "$simout/err"; then
        echo "run.sh: port $((base + listening)) is taken; set TSL_DEVSIM_PORT to another base port (the six devices use BASE to BASE+5)" >&2
    elif kill -0 "$sim" 2>/dev/null; then
        echo "run.sh: the simulated devices did not start within 10 s" >&2
    else
        echo "run.sh: the simulated devices cannot start: $(tail -n 1 "$simout/err")" >&2
    fi
    exit 1
fi
cat "$simout/out"

if [ ! -e "$work/devices.bin" ]; then
    # Owner-only, as the program writes it: the list holds passwords.
    mask=$(umask)
    umask 077
    names=("模拟门禁设备" "模拟物联设备" "模拟动环设备" "模拟NTP服务器" "模拟指纹仪" "模拟用传")
    {
        printf '{\r\n'
        for i in 0 1 2 3 4 5; do
            sep=','
            [ "$i" = 5 ] && sep=''
            printf '    "%s": {\r\n        "ip": "127.0.0.1",\r\n        "name": "%s",\r\n' "${names[$i]}" "${names[$i]}"
            printf '        "password": "admin123",\r\n        "port": %d,\r\n        "type": %d,\r\n' \
                $((base + i)) $((100 + i))
            printf '        "username": "admin"\r\n    }%s\r\n' "$sep"
        done
        printf '}\r\n'
    } >"$work/devices.bin"
    umask "$mask"
    echo "run.sh: wrote $work/devices.bin with the six simulated devices"
fi

cd "$work"
if [ -n "${TSL_RUN_SECONDS:-}" ]; then
    timeout --signal=TERM "$TSL_RUN_SECONDS" "$dir/gui/QtTessaly" &
else
    "$dir/gui/QtTessaly" &
fi
app=$!
status=0
wait "$app" || status=$?
app=
# The time limit ending the program is a clean stop.
[ -n "${TSL_RUN_SECONDS:-}" ] && [ "$status" = 124 ] && status=0
exit "$status"
