#!/usr/bin/env bash
# Installs every Debian package the project needs. Safe to run again: it
# touches apt only when something is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  libssl-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libspdlog-dev
  qtbase5-dev qtbase5-dev-tools libqt5svg5-dev libqt5svg5
  libpugixml-dev libminizip-dev zlib1g-dev python3-openpyxl
  fonts-wqy-microhei fonts-dejavu-core
  iproute2 util-linux procps
  desktop-file-utils
  locales
  clang libclang-rt-14-dev
)

# A locale whose decimal mark is a comma, so the tests can show that files
# are written in the C locale whatever the process's locale is.
ensure_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
  [ "$(id -u)" -eq 0 ] || return 0
  localedef -i de_DE -f UTF-8 de_DE.UTF-8 >/dev/null 2>&1 || true
}

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  ensure_locale
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run as root" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
ensure_locale
