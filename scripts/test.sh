#!/usr/bin/env bash
# Builds everything and runs every test; windows are tested on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
# The end-to-end tests run against simulated radios in real time, one at a time; the rest in
# parallel.
ctest --test-dir build --output-on-failure -j"$(nproc)" -LE e2e
ctest --test-dir build --output-on-failure -L e2e
# The fuzz targets for a minute each, and the whole suite again under the sanitizers.
bash scripts/fuzz.sh
bash scripts/sanitize.sh
