#!/usr/bin/env bash
# Installs what is missing, builds and runs every test of one preset (default: release):
#   scripts/test.sh [release|asan|dev]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
bash scripts/install-deps.sh
bash scripts/build.sh "$preset"
ctest --preset "$preset" -j "$(nproc)"
