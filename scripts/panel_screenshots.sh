#!/usr/bin/env bash
# Saves pictures of the main window with the parameter panel open in each of its four
# modes and of the selection dialog as it is filled in, on the bundled sample, drawn
# under Xvfb with Mesa's software OpenGL:
#
#   scripts/panel_screenshots.sh [FOLDER]    (default: build/screenshots)
#
# It builds the release preset, or uses the build folder named by TESSARIN_BUILD_DIR.
# The pictures are taken by the panel road test, which enters the coordinate systems
# and the selection through the panel and the dialog.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-build/screenshots}")"
bash scripts/install-deps.sh
build="${TESSARIN_BUILD_DIR:-}"
if [ -z "$build" ]; then
  build=build/release
  cmake --preset release >/dev/null
fi
cmake --build "$build" --target panel_road_test
mkdir -p "$out"
TESSARIN_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1 \
  xvfb-run -a -s "-screen 0 1600x1200x24" "$build/tests/gui/panel_road_test"
ls "$out"/panel_mode*.png "$out"/select_dialog.png
