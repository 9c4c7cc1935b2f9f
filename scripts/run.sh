#!/usr/bin/env bash
# Builds Kestrova and starts it. Best results are kept in ./Kestrova.res.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_TARGET=kestrova bash scripts/build.sh
exec "${BUILD_DIR:-build}/kestrova"
