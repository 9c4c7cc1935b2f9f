#!/usr/bin/env bash
# Installs what is missing, then configures and builds into $BUILD_DIR (default: build).
# Extra arguments go to CMake; $BUILD_TARGET builds one target instead of everything.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" -j"$(nproc)" ${BUILD_TARGET:+--target "$BUILD_TARGET"}
