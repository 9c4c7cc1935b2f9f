#!/usr/bin/env bash
# Installs what is missing, builds the program and makes the Debian package
# $BUILD_DIR/package/kestrova_<version>_amd64.deb (default BUILD_DIR: build).
# Extra arguments go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_TARGET=kestrova bash scripts/build.sh "$@"
build="${BUILD_DIR:-build}"
rm -f "$build"/package/kestrova_*.deb
cpack --config "$build/CPackConfig.cmake" -B "$build/package" >/dev/null
ls "$build"/package/kestrova_*.deb
