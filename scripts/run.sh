#!/usr/bin/env bash
# Installs what is missing, builds, and analyses the bundled sample tool with the batch
# tool: cutting edge, the four coordinate systems and their angles, written to
# build/sample/cutter.tsf with the table in build/sample/cutter.csv.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh release
mkdir -p build/sample
build/release/cli/tessarin-cli analyze samples/cutter.stl -o build/sample/cutter.tsf \
    --csv build/sample/cutter.csv --ssk 5,30 --feedplan 90 --ksk 3 --dsk 10 \
    --compute isk,ssk,ksk,dsk "$@"
