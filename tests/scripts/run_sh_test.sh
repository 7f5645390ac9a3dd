#!/usr/bin/env bash
# run_sh_test.sh DEVSIM: scripts/run.sh in a copy of the repository's layout
# whose install and build steps do nothing, with the built simulator and a
# stand-in window that notes it was opened, whether the last device listened
# and the umask it was given.
set -euo pipefail
devsim=$1
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
holder=
cleanup() {
    [ -n "$holder" ] && kill "$holder" 2>/dev/null && wait "$holder" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

root=$tmp/root
mkdir -p "$root/scripts" "$root/build/tools/devsim" "$root/build/gui"
ln -s "$here/../../scripts/run.sh" "$root/scripts/run.sh"
printf '#!/bin/sh\nexit 0\n' >"$root/scripts/install-deps.sh"
cp "$root/scripts/install-deps.sh" "$root/scripts/build.sh"
ln -s "$devsim" "$root/build/tools/devsim/tessaly-devsim"
cat >"$root/build/gui/QtTessaly" <<'WINDOW'
#!/usr/bin/env bash
echo opened >>"$TSL_TEST_MARKS"
(exec 3<>"/dev/tcp/127.0.0.1/$((TSL_DEVSIM_PORT + 5))") 2>/dev/null && echo listening >>"$TSL_TEST_MARKS"
echo "umask $(umask)" >>"$TSL_TEST_MARKS"
exit 0
WINDOW
chmod +x "$root/scripts/install-deps.sh" "$root/scripts/build.sh" "$root/build/gui/QtTessaly"

# Finds a base whose six ports are free; with "take", keeps listening on
# BASE+2 until killed. Writes the base to the given file.
cat >"$tmp/ports.py" <<'PY'
import random, signal, socket, sys, time
out, take = sys.argv[1], len(sys.argv) > 2
for _ in range(200):
    base = random.randrange(20000, 60000)
    socks = []
    try:
        for p in range(base, base + 6):
            s = socket.socket()
            s.bind(("127.0.0.1", p))
            socks.append(s)
    except OSError:
        for s in socks: s.close()
        continue
    break
else:
    sys.exit("no six free ports")
for i, s in enumerate(socks):
    if not (take and i == 2): s.close()
if take: socks[2].listen()
with open(out + ".new", "w") as f: f.write(str(base))
import os; os.rename(out + ".new", out)
if take:
    signal.signal(signal.SIGTERM, lambda *a: sys.exit(0))
    while True: time.sleep(1)
PY

# The usual umask, so that a list written without one of its own shows; the
# window is then given it back.
umask 022

notListening() {
    ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

runScript() {
    local base=$1
    rm -f "$tmp/marks"
    status=0
    env -u TSL_RUN_SECONDS DISPLAY=:99 TSL_DEVSIM_PORT="$base" TSL_TEST_MARKS="$tmp/marks" \
        "$root/scripts/run.sh" >"$tmp/stdout" 2>"$tmp/stderr" || status=$?
}

noSimulatorLeft() {
    local base=$1
    for _ in $(seq 50); do
        pgrep -f "^$root/build/tools/devsim/" >/dev/null || break
        sleep 0.1
    done
    ! pgrep -f "^$root/build/tools/devsim/" >/dev/null || fail "a simulator is still running"
    notListening "$base" || fail "port $base still listens"
    notListening $((base + 5)) || fail "port $((base + 5)) still listens"
}

# A taken port: one line naming it and the variable, a failure, no window,
# nothing left running.
python3 "$tmp/ports.py" "$tmp/taken" take &
holder=$!
for _ in $(seq 100); do [ -e "$tmp/taken" ] && break; sleep 0.05; done
base=$(cat "$tmp/taken")
runScript "$base"
[ "$status" -ne 0 ] || fail "run.sh exited 0 with port $((base + 2)) taken"
want="run.sh: port $((base + 2)) is taken; set TSL_DEVSIM_PORT to another base port (the six devices use BASE to BASE+5)"
[ "$(cat "$tmp/stderr")" = "$want" ] || fail "stderr was: $(cat "$tmp/stderr")"
[ ! -e "$tmp/marks" ] || fail "the window was opened"
kill "$holder"
wait "$holder" 2>/dev/null || true
holder=
noSimulatorLeft "$base"

# A base that is no port, or leaves no room for six: refused before anything starts.
for bad in 9100x 0 65531; do
    runScript "$bad"
    [ "$status" -ne 0 ] || fail "run.sh exited 0 with TSL_DEVSIM_PORT=$bad"
    grep -q 'TSL_DEVSIM_PORT' "$tmp/stderr" || fail "stderr for $bad was: $(cat "$tmp/stderr")"
    [ ! -e "$tmp/marks" ] || fail "the window was opened with TSL_DEVSIM_PORT=$bad"
done

# Free ports: the window opens once every device listens, and closing it
# stops the simulator.
python3 "$tmp/ports.py" "$tmp/free"
base=$(cat "$tmp/free")
runScript "$base"
[ "$status" -eq 0 ] || fail "run.sh exited $status with free ports: $(cat "$tmp/stderr")"
[ "$(cat "$tmp/marks")" = "$(printf 'opened\nlistening\numask 0022')" ] || fail "window marks: $(cat "$tmp/marks" 2>/dev/null)"
grep -q "device type 105 listening on 127.0.0.1:$((base + 5))" "$tmp/stdout" || fail "stdout was: $(cat "$tmp/stdout")"
grep -q "\"port\": $((base + 5))," "$root/build/run/devices.bin" || fail "devices.bin does not name port $((base + 5))"
[ "$(stat -c %a "$root/build/run/devices.bin")" = 600 ] || fail "devices.bin is $(stat -c %a "$root/build/run/devices.bin"), not owner-only"
noSimulatorLeft "$base"
echo "run.sh: refuses a taken port, runs on free ones"
