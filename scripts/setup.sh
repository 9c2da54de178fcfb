#!/usr/bin/env bash
# Installs whatever the build and the tests need on Debian 12; quick when all is there.
set -euo pipefail

packages=(
  g++ make cmake pkg-config
  qt6-base-dev qt6-svg-dev libqt6svg6
  qt6-webengine-dev libqt6webenginecore6-bin
  libsndfile1-dev libasound2-dev
  libgtest-dev libgmock-dev
  clang-14 libclang-rt-14-dev
  fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
