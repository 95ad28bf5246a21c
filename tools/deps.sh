#!/usr/bin/env bash
# Installs the Debian packages the game and its tests need, only those that
# are missing. Nothing is done (and no network is needed) when all are there.
# Usage: tools/deps.sh run|test           install what is missing
#        tools/deps.sh --missing run|test prints what is missing, one a line
set -euo pipefail

list_only=false
if [[ "${1:-}" == --missing ]]; then
  list_only=true
  shift
fi

run_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libxcb1-dev libopenal-dev libsndfile1-dev libpulse-dev
  fonts-liberation2 fonts-dejavu-core fonts-comic-neue
)
test_packages=(
  libgtest-dev libbenchmark-dev sox xvfb xauth x11-utils imagemagick qt6-base-private-dev libxkbcommon-dev
  desktop-file-utils appstream dpkg-dev file lintian man-db devscripts
  xfwm4 openbox dbus-daemon xdotool weston qt6-wayland
  pipewire pipewire-pulse wireplumber pulseaudio pulseaudio-utils iproute2
  orca at-spi2-core speech-dispatcher speech-dispatcher-espeak-ng espeak-ng
)

wanted=("${run_packages[@]}")
case "${1:-run}" in
  run) ;;
  test) wanted+=("${test_packages[@]}") ;;
  *) echo "usage: tools/deps.sh [--missing] run|test" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if $list_only; then
  ((${#missing[@]} == 0)) || printf '%s\n' "${missing[@]}"
  exit 0
fi
((${#missing[@]} == 0)) && exit 0

echo "Installing missing packages: ${missing[*]}" >&2
# sudo resets the environment, so DEBIAN_FRONTEND goes through env; without it
# debconf would ask its questions on the terminal. Another apt-get holding the
# dpkg lock is waited for instead of failing at once.
as_root=(env DEBIAN_FRONTEND=noninteractive)
if [[ $(id -u) -ne 0 ]]; then
  if ! command -v sudo >/dev/null; then
    echo "Installing them needs root, and sudo is not installed. As root, run:" >&2
    echo "  apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  as_root=(sudo "${as_root[@]}")
fi
apt_get=(apt-get -o DPkg::Lock::Timeout=600)
"${as_root[@]}" "${apt_get[@]}" update -qq
"${as_root[@]}" "${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"

# The sound-server tests start PulseAudio and PipeWire themselves, privately.
# Debian switches each server on for every desktop session when it is
# installed, and the two then fight over the sound at the next login. So where
# the machine had one of them already, the one installed here for the tests
# is switched off for desktop sessions again; its programs stay for the tests.
is_missing() { [[ " ${missing[*]} " == *" $1 "* ]]; }
for pair in pulseaudio:pipewire-pulse pipewire-pulse:pulseaudio; do
  added=${pair%%:*} had=${pair##*:}
  if is_missing "$added" && ! is_missing "$had" &&
    dpkg-query -W -f='${Status}' "$had" 2>/dev/null | grep -q "install ok installed"; then
    echo "Switching $added off for desktop sessions: this machine plays through $had" >&2
    # (Debian's package scripts see the links gone and leave it so on upgrades.)
    command -v systemctl >/dev/null &&
      "${as_root[@]}" systemctl --global disable "$added.socket" "$added.service" || true
  fi
done
