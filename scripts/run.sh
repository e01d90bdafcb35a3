#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program with the bundled sample
# project open (samples/cutter.tsf: the sample tool sorted, its cutting edge found, the four
# coordinate systems defined and their angles computed).
#
#   scripts/run.sh               the desktop program on the sample project
#   scripts/run.sh FILE          the desktop program on FILE (.tsf project or .stl model)
#   scripts/run.sh batch [OPTS]  the batch tool instead: analyses samples/cutter.stl into
#                                build/sample/cutter.tsf and cutter.csv (OPTS are added)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh release

if [ "${1:-}" = "batch" ]; then
  shift
  mkdir -p build/sample
  exec build/release/cli/tessarin-cli analyze samples/cutter.stl -o build/sample/cutter.tsf \
      --csv build/sample/cutter.csv --ssk 5,30 --feedplan 90 --ksk 3 --dsk 10 \
      --compute isk,ssk,ksk,dsk "$@"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the desktop program needs a graphical session." >&2
  echo "Run 'scripts/run.sh batch' for the analysis without a window." >&2
  exit 1
fi
exec build/release/shell/tessarin "${1:-samples/cutter.tsf}"
