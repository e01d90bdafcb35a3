#!/usr/bin/env bash
# Makes the pictures of the help pages from the bundled sample with the program's own
# tests, and a picture of the rendered help index for a look:
#
#   scripts/help-images.sh [INDEX.png]   (default: build/help_index.png)
#
# shell/help/images/main_window.png       the main window with the sample analysed (screenshot.sh)
# shell/help/images/settings_*.png        the settings dialog, both pages
set -euo pipefail
cd "$(dirname "$0")/.."
images=shell/help/images
index="$(realpath -m "${1:-build/help_index.png}")"
build="${TESSARIN_BUILD_DIR:-build/release}"
if [ -z "${TESSARIN_BUILD_DIR:-}" ]; then
  cmake --preset release >/dev/null
fi
bash scripts/screenshot.sh --data-panel "$images/main_window.png"
cmake --build "$build" --target settings_test help_pages_test
TESSARIN_SETTINGS_SHOTS="$(realpath "$images")" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1600x1200x24" "$build/tests/gui/settings_test" DialogPictures
# The index is rendered from the build tree's copy, which the build refreshes.
cmake --build "$build" --target help_pages_test
mkdir -p "$(dirname "$index")"
TESSARIN_HELP_SHOTS="$index" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1600x1200x24" "$build/tests/gui/help_pages_test" IndexPicture
echo "written: $images/main_window.png $images/settings_geometry.png $images/settings_interface.png $index"
