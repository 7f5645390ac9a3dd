#!/usr/bin/env bash
# netns_run.sh PROGRAM [ARGS...]
#
# Runs PROGRAM inside a private network namespace, so that what it broadcasts
# never reaches the host's networks. Two veth links join the namespace to a
# second, peer namespace where the simulated devices live:
#
#   this namespace                     peer namespace
#   tslv0a 10.9.0.1/24  <---link 0---> tslv0b 10.9.0.2/24
#   tslv1a 10.9.1.1/24  <---link 1---> tslv1b 10.9.1.2/24
#
# PROGRAM starts inside the namespace (the SDK takes its adapter table when it
# loads) and finds in its environment:
#   TSL_OUTER_NETNS   the namespace the wrapper was started in; the program
#                     refuses to broadcast while it is still in it
#   TSL_NETNS_IFACES  the interfaces the wrapper made (besides lo)
#   TSL_SIM_NETNS     a path that opens the peer namespace (setns)
#
# Exits 77 (skip) when the machine cannot make namespaces (not root, no
# unshare); under CI that is a failure instead.
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 PROGRAM [ARGS...]" >&2
    exit 2
fi

if [ "${TSL_NETNS_STAGE:-}" != inner ]; then
    if ! command -v unshare >/dev/null || ! command -v ip >/dev/null || ! unshare -n true 2>/dev/null; then
        echo "netns_run: cannot create a network namespace here (needs root, unshare and ip);" \
            "not running $1" >&2
        [ -n "${CI:-}" ] && exit 1
        exit 77
    fi
    TSL_OUTER_NETNS=$(readlink /proc/self/ns/net)
    export TSL_OUTER_NETNS
    export TSL_NETNS_STAGE=inner
    exec unshare -n -- "$0" "$@"
fi

# From here on, inside the new namespace.
unset TSL_NETNS_STAGE
if [ -z "${TSL_OUTER_NETNS:-}" ] || [ "$(readlink /proc/self/ns/net)" = "$TSL_OUTER_NETNS" ]; then
    echo "netns_run: still in the outer network namespace; refusing" >&2
    exit 1
fi

ip link set lo up

# The peer namespace: made by a short-lived process and kept alive by an open
# descriptor (fd 3), so nothing is left behind when the program ends.
unshare -n sleep 30 &
holder=$!
trap 'kill "$holder" 2>/dev/null || true' EXIT
own=$(readlink /proc/self/ns/net)
for _ in $(seq 200); do
    peer=$(readlink "/proc/$holder/ns/net" 2>/dev/null || true)
    [ -n "$peer" ] && [ "$peer" != "$own" ] && [ "$peer" != "$TSL_OUTER_NETNS" ] && break
    sleep 0.01
done
if [ -z "$peer" ] || [ "$peer" = "$own" ] || [ "$peer" = "$TSL_OUTER_NETNS" ]; then
    echo "netns_run: the peer namespace did not come up" >&2
    exit 1
fi
exec 3<"/proc/$holder/ns/net"
in_peer() { nsenter --net=/proc/self/fd/3 "$@"; }

in_peer ip link set lo up
for i in 0 1; do
    ip link add "tslv${i}a" address "02:00:00:09:0${i}:01" type veth \
        peer name "tslv${i}b" address "02:00:00:09:0${i}:02"
    ip link set "tslv${i}b" netns "$holder"
    in_peer ip addr add "10.9.${i}.2/24" dev "tslv${i}b"
    in_peer ip link set "tslv${i}b" up
    # Fixed neighbours: a burst of replies never waits on address resolution.
    in_peer ip neigh replace "10.9.${i}.1" lladdr "02:00:00:09:0${i}:01" dev "tslv${i}b" nud permanent
    ip addr add "10.9.${i}.1/24" dev "tslv${i}a"
    ip link set "tslv${i}a" up
    ip neigh replace "10.9.${i}.2" lladdr "02:00:00:09:0${i}:02" dev "tslv${i}a" nud permanent
done
kill "$holder" 2>/dev/null || true
wait "$holder" 2>/dev/null || true
trap - EXIT

# The links count as running only once both ends are up.
for _ in $(seq 200); do
    up=0
    for i in 0 1; do
        ip -o link show dev "tslv${i}a" | grep -q LOWER_UP && up=$((up + 1))
    done
    [ "$up" = 2 ] && break
    sleep 0.01
done
if [ "$up" != 2 ]; then
    echo "netns_run: the veth links did not come up" >&2
    exit 1
fi

export TSL_NETNS_IFACES="tslv0a tslv1a"
export TSL_SIM_NETNS=/proc/self/fd/3
exec "$@"
