#!/usr/bin/env bash
# Builds the game and starts it in its game folder,
# ${XDG_DATA_HOME:-$HOME/.local/share}/vornakka, which holds VORNA.DAT (the
# jackpot), LIST.VRK (the high scores) and Wavs/ (the sounds).
#
# Installs the missing Debian packages first, as the test command does. The
# first run fills the game folder from assets/; later runs add only what is
# missing there (a wave file, say) and never replace the jackpot or the list.
set -euo pipefail
cd "$(dirname "$0")"
repo=$(pwd)
tools/deps.sh run

# The game is built on its own, without the tests, in build-play/: a player
# needs none of the test packages, whichever of them happen to be installed.
# Where every test package is there (after ./test.sh), the game is built in
# ./test.sh's build/ instead, so the two commands share one build.
build_dir=build-play
cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNAKKA_BUILD_TESTS=OFF)
if [[ -z "$(tools/deps.sh --missing test)" ]]; then
  build_dir=build
  cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi
cmake -S . -B "$build_dir" "${cmake_args[@]}"
cmake --build "$build_dir" --target vornakka -j "$(nproc)"

# XDG_DATA_HOME counts only when it is an absolute path.
case "${XDG_DATA_HOME:-}" in
  /*) data_home=$XDG_DATA_HOME ;;
  *) data_home=$HOME/.local/share ;;
esac
folder=$data_home/vornakka
mkdir -p "$folder/Wavs"
for file in VORNA.DAT LIST.VRK; do
  if [[ ! -e "$folder/$file" ]]; then
    cp "assets/$file" "$folder/$file"
  fi
done
for wave in assets/Wavs/*.wav; do
  if [[ ! -e "$folder/Wavs/${wave##*/}" ]]; then
    cp "$wave" "$folder/Wavs/"
  fi
done

cd "$folder"
exec "$repo/$build_dir/ui/vornakka"
