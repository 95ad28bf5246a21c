#!/usr/bin/env bash
# Installs the Debian packages the game and its tests need, only those that
# are missing. Nothing is done (and no network is needed) when all are there.
# Usage: tools/deps.sh run|test
set -euo pipefail

run_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libopenal-dev libsndfile1-dev
  fonts-liberation2 fonts-dejavu-core fonts-comic-neue
)
test_packages=(
  libgtest-dev libbenchmark-dev sox xvfb xauth x11-utils imagemagick
  desktop-file-utils appstream dpkg-dev file lintian man-db
)

wanted=("${run_packages[@]}")
if [[ "${1:-run}" == test ]]; then
  wanted+=("${test_packages[@]}")
fi

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
((${#missing[@]} == 0)) && exit 0

echo "Installing missing packages: ${missing[*]}" >&2
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
