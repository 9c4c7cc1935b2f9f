#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit, scene and
# whole-game tests on SDL's offscreen driver, end-to-end tests under Xvfb.
# Extra arguments go to CMake (e.g. -DKESTROVA_SANITIZE=ON with BUILD_DIR=build-asan).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh "$@"
build="${BUILD_DIR:-build}"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
bash scripts/with-display.sh ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 300
