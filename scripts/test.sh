#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit, scene and
# whole-game tests on SDL's offscreen driver, end-to-end tests under Xvfb.
# Extra arguments go to CMake (e.g. -DKESTROVA_SANITIZE=ON with BUILD_DIR=build-asan).
set -euo pipefail
cd "$(dirname "$0")/.."
# Tests and benchmarks are switched on whatever an earlier configure chose.
bash scripts/build.sh -DKESTROVA_TESTS=ON -DKESTROVA_BENCH=ON -DKESTROVA_TEST_DIRS= -DKESTROVA_WINDOWS_EXE= "$@"
build="${BUILD_DIR:-build}"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
bash scripts/with-display.sh ctest --test-dir "$build" --no-tests=error --output-on-failure -j"$(nproc)" --timeout 300
