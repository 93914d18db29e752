#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the demo and the
# benchmarks need. Safe to run again: apt is asked only for what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libcurl4-openssl-dev libjsoncpp-dev libpugixml-dev libglib2.0-dev
  libcairo2-dev libpango1.0-dev libgtk-3-dev libpng-dev libacl1-dev
  fonts-wqy-microhei fonts-dejavu-core librsvg2-bin
  libgtest-dev libgmock-dev libcpp-httplib-dev
  xvfb xdotool imagemagick x11-utils
  makeself patchelf mmdebstrap weston zenity
  ansible-core
  dbus at-spi2-core python3-pyatspi
  libbenchmark-dev curl nginx-light
  ca-certificates openssl python3
  libssl-dev
  tinyproxy
  clang libclang-rt-14-dev
  ccache
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "install-deps: installing ${missing[*]}"
$sudo apt-get update -qq
# nginx (benchmarks) and tinyproxy (proxy tests) are tools here: keep their
# package scripts from starting a system service, also where an init system
# runs (a policy that says no, unless the machine has a policy of its own).
policy=/usr/sbin/policy-rc.d
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
  $sudo chmod 755 "$policy"
  trap '$sudo rm -f "$policy"' EXIT
fi
export DEBIAN_FRONTEND=noninteractive
$sudo env DEBIAN_FRONTEND=noninteractive RUNLEVEL=1 apt-get install -y -qq --no-install-recommends "${missing[@]}"
