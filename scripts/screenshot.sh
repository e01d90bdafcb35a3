#!/usr/bin/env bash
# Saves a picture of the main window with the bundled sample model sorted and its cutting
# edge shown, drawn under Xvfb with Mesa's software OpenGL:
#
#   scripts/screenshot.sh [OUT.png]    (default: build/screenshot.png)
#   scripts/screenshot.sh --data-panel [OUT.png]
#                                      the same with the tool and static angles computed
#                                      and shown in the tree, table and chart
#
# It builds the release preset, or uses the build folder named by TESSARIN_BUILD_DIR.
#
# The picture is taken by the GUI road test (gui_road_test Screenshot), which goes the
# road through the program's own commands.
set -euo pipefail
cd "$(dirname "$0")/.."
shot=Screenshot
if [ "${1:-}" = "--data-panel" ]; then
  shot=DataPanelScreenshot
  shift
fi
out="$(realpath -m "${1:-build/screenshot.png}")"
bash scripts/install-deps.sh
build="${TESSARIN_BUILD_DIR:-}"
if [ -z "$build" ]; then
  build=build/release
  cmake --preset release >/dev/null
fi
cmake --build "$build" --target gui_road_test
mkdir -p "$(dirname "$out")"
rm -f "$out"
TESSARIN_SCREENSHOT="$out" QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1 \
  xvfb-run -a -s "-screen 0 1600x1200x24" "$build/tests/gui/gui_road_test" "$shot"
test -s "$out"
echo "written: $out"
