#!/usr/bin/env bash
# The library exports exactly the names in exports.txt: the extern "C"
# interface and its std::function overloads, nothing internal.
set -euo pipefail
lib=$1 expected=$2
actual=$(nm -D --defined-only "$lib" | awk '{print $3}' | c++filt | LC_ALL=C sort)
if ! diff -u "$expected" <(printf '%s\n' "$actual"); then
  echo "exported symbols differ from $expected (- missing, + unexpected)" >&2
  exit 1
fi
c=$(printf '%s\n' "$actual" | grep -c '^TSL_NET_[A-Za-z0-9_]*$')
cpp=$(printf '%s\n' "$actual" | grep -c '^TSL_NET_.*(.*std::function')
echo "exports: $c extern \"C\", $cpp std::function overloads"
