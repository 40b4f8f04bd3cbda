#!/usr/bin/env bash
# Builds everything and runs every test; windows are tested on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
# The end-to-end tests run against simulated radios in real time, one at a time; the rest in
# parallel. The long proof that no answer is lost keeps both cores busy itself, so it runs alone.
ctest --test-dir build --output-on-failure -j"$(nproc)" -LE "e2e|long"
ctest --test-dir build --output-on-failure -L e2e
ctest --test-dir build --output-on-failure -L long

# Packaging: the .deb builds and holds the programs, desktop entry, icons, metainfo and manual
# pages; the desktop entry and the metainfo validate.
bash scripts/check-package.sh
# The fuzz targets for a minute each, and the whole suite again under the sanitizers.
bash scripts/fuzz.sh
bash scripts/sanitize.sh
