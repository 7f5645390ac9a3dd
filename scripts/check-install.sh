#!/usr/bin/env bash
# check-install.sh: installs a built tree (TSL_BUILD_DIR, build/ by default)
# into a temporary prefix and shows that what lands there works on its own:
# the library's name chain, SONAME and exports; the headers compiling alone;
# examples/read_time built once through pkg-config and once through
# find_package, from a copy outside the source tree, each logging in to the
# installed tessaly-devsim on 127.0.0.1 and reading a time of this year or
# later (its clock runs from the host's); the desktop
# program starting from a bare working folder, with its menu entry and icon.
# Non-zero on any failure; the simulator is stopped and the prefix removed
# whatever happens.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TSL_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"

fail() {
    echo "check-install: FAIL: $*" >&2
    exit 1
}
[ -f "$build/CMakeCache.txt" ] || fail "$build is no build tree (scripts/test.sh builds one)"

work=$(mktemp -d)
prefix=$work/prefix
sim=
cleanup() {
    if [ -n "$sim" ]; then
        kill -TERM "$sim" 2>/dev/null || true
        wait "$sim" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# quiet LOG CMD...: runs CMD with its output in LOG, shown only on failure.
quiet() {
    local log=$1
    shift
    "$@" >"$log" 2>&1 || {
        cat "$log" >&2
        fail "$*"
    }
}

# linked_from_prefix EXE: EXE loads libTessaly from the prefix, and every
# library it needs is found.
linked_from_prefix() {
    local deps
    deps=$(ldd "$1")
    if grep -q 'not found' <<<"$deps"; then fail "$1: $(grep 'not found' <<<"$deps")"; fi
    grep -q "libTessaly\.so\.[0-9]* => $prefix/" <<<"$deps" || fail "$1 does not load libTessaly from $prefix"
}

quiet "$work/install.log" cmake --install "$build" --prefix "$prefix"

pc=$(find "$prefix" -path '*/pkgconfig/tessaly.pc')
[ -n "$pc" ] || fail "no pkgconfig/tessaly.pc under the prefix"
PKG_CONFIG_PATH=$(dirname "$pc")
export PKG_CONFIG_PATH
version=$(pkg-config --modversion tessaly)
libdir=$(cd "$(pkg-config --variable=libdir tessaly)" && pwd)
includedir=$(cd "$(pkg-config --variable=includedir tessaly)" && pwd)
major=${version%%.*}

# libTessaly.so -> libTessaly.so.MAJOR -> libTessaly.so.VERSION, and the
# SONAME is the middle one.
[ "$(readlink "$libdir/libTessaly.so")" = "libTessaly.so.$major" ] || fail "libTessaly.so does not point to libTessaly.so.$major"
[ "$(readlink "$libdir/libTessaly.so.$major")" = "libTessaly.so.$version" ] || fail "libTessaly.so.$major does not point to libTessaly.so.$version"
lib=$libdir/libTessaly.so.$version
{ [ -f "$lib" ] && [ ! -L "$lib" ]; } || fail "$lib is not the library file"
soname=$(readelf -d "$lib" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = "libTessaly.so.$major" ] || fail "SONAME is '$soname', not libTessaly.so.$major"
exports=$("$root/tests/Surface/check_exports.sh" "$lib" "$root/tests/Surface/exports.txt") || fail "installed library's exports"

# The public headers and nothing else, usable from C with no other folder.
diff <(cd "$root/sdk/include" && ls) <(cd "$includedir" && ls) >&2 || fail "installed headers differ from sdk/include"
mkdir "$work/src"
cp "$root/tests/Surface/c_headers.c" "$work/src/"
cp -r "$root/examples/read_time" "$work/src/"
# shellcheck disable=SC2046
quiet "$work/c.log" cc -std=c11 -Wall -Wextra -Werror -c "$work/src/c_headers.c" -o "$work/c_headers.o" \
    $(pkg-config --cflags tessaly)

# shellcheck disable=SC2046
quiet "$work/pc.log" c++ -std=c++17 -Wall -Wextra -Werror "$work/src/read_time/main.cpp" -o "$work/read_time-pc" \
    $(pkg-config --cflags --libs tessaly) -Wl,-rpath,"$libdir"
quiet "$work/cmake.log" cmake -S "$work/src/read_time" -B "$work/build-cmake" -G Ninja \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
found=$(sed -n 's/^Tessaly_DIR:PATH=//p' "$work/build-cmake/CMakeCache.txt")
case "$found" in "$prefix"/*) ;; *) fail "find_package found Tessaly in '$found', not in the prefix" ;; esac
quiet "$work/cmake-build.log" cmake --build "$work/build-cmake"

"$prefix/bin/tessaly-devsim" --port 0 --seconds 120 >"$work/sim.log" 2>&1 &
sim=$!
port=
for _ in $(seq 200); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/sim.log")
    [ -n "$port" ] && break
    kill -0 "$sim" 2>/dev/null || {
        cat "$work/sim.log" >&2
        fail "the installed tessaly-devsim stopped"
    }
    sleep 0.05
done
[ -n "$port" ] || fail "the installed tessaly-devsim did not say its port"

# The simulator's clock runs from the host's, so a decoder that reads zeros
# (or the wrong bytes) prints no date of this year or later.
plausible_time() {
    [[ "$1" =~ ^([0-9]{4})-([0-9]{2})-([0-9]{2})\ [0-9]{2}:[0-9]{2}:[0-9]{2}$ ]] || return 1
    local year=$((10#${BASH_REMATCH[1]})) month=$((10#${BASH_REMATCH[2]})) day=$((10#${BASH_REMATCH[3]}))
    ((year >= $(date +%Y) && month >= 1 && month <= 12 && day >= 1 && day <= 31))
}
times=()
for exe in "$work/read_time-pc" "$work/build-cmake/read_time"; do
    linked_from_prefix "$exe"
    out=$(timeout 30 "$exe" "$port") || fail "$exe $port"
    plausible_time "$out" || fail "$exe printed '$out', not a date and time of this year or later"
    times+=("$out")
done

gui=
if grep -q '^TSL_BUILD_GUI:BOOL=ON$' "$build/CMakeCache.txt"; then
    app=$prefix/bin/QtTessaly
    [ -x "$app" ] || fail "QtTessaly not installed"
    linked_from_prefix "$app"
    desktop=$(find "$prefix" -path '*/applications/QtTessaly.desktop')
    [ -n "$desktop" ] || fail "no applications/QtTessaly.desktop under the prefix"
    desktop-file-validate "$desktop" >&2 || fail "$desktop does not validate"
    exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    [ -x "$prefix/bin/$exec" ] || fail "the menu entry starts '$exec', which is not installed"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    icons=$(dirname "$desktop")/../icons/hicolor
    for f in "32x32/apps/$icon.png" "scalable/apps/$icon.svg"; do
        [ -f "$icons/$f" ] || fail "icon $f not installed"
    done
    # Still running when the time is up means it started; it reads its list
    # from whatever folder it is started in.
    mkdir "$work/run"
    status=0
    (cd "$work/run" && QT_QPA_PLATFORM=offscreen timeout 2 "$app" >"$work/app.log" 2>&1) || status=$?
    [ "$status" = 124 ] || {
        cat "$work/app.log" >&2
        fail "the installed QtTessaly stopped by itself (status $status)"
    }
    gui=", QtTessaly starts and has its menu entry and icon"
fi

echo "check-install: pass: $soname ($version; $exports), headers alone, read_time through pkg-config" \
    "(${times[0]}) and find_package (${times[1]})$gui"
