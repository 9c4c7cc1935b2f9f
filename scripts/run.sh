#!/usr/bin/env bash
# Builds Kestrova and starts it. Best results are kept in ./Kestrova.res.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh -DKESTROVA_TESTS=OFF -DKESTROVA_BENCH=OFF
exec "${BUILD_DIR:-build}/kestrova"
