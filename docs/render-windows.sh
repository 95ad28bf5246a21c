#!/usr/bin/env bash
# Renders the game's four windows to PNG files in docs/screenshots/, as Qt's
# offscreen platform draws them (client areas, without window frames): the
# machine window at start and after one spin, the high-score window, the name
# dialog and the about box. The game runs at a fixed time of day in a scratch
# folder seeded from assets/, so every run draws the same pictures.
#   docs/render-windows.sh [BUILD_DIR]      (default build/, shared with test.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
# The renderer comes with the tests, or with VORNAKKA_BUILD_TOOLS in a build
# without them. An existing build folder keeps its other settings.
configure=(-DVORNAKKA_BUILD_TOOLS=ON)
if [[ ! -f "$build_dir/CMakeCache.txt" ]]; then
  configure+=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi
cmake -S . -B "$build_dir" "${configure[@]}" >/dev/null
cmake --build "$build_dir" --target vornakka_render_windows
mkdir -p docs/screenshots
QT_QPA_PLATFORM=offscreen "$build_dir/ui/vornakka_render_windows" assets docs/screenshots
