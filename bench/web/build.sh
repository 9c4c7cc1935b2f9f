#!/usr/bin/env bash
# Builds the web build's benchmarks: the game's dist/ and the programs of
# bench/web/ with their pages, in an Emscripten build folder configured as
# scripts/build-web.sh configures the game's, with the benchmarks on; and
# installs what bench/web/bench.mjs drives them with (Chromium and
# playwright-core, as the page's tests have them). bench/run.sh calls it.
#   bench/web/build.sh [BUILD_DIR]     (default: build-web-bench)
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build-web-bench}"

bash scripts/ensure-packages.sh chromium
# Only when missing: npm ci empties node_modules first, under the feet of a
# test running from it.
[ -f tests/web/node_modules/playwright-core/package.json ] || npm ci --prefix tests/web --no-audit --no-fund >/dev/null

started=$SECONDS
BUILD_DIR="$build" bash scripts/build-web.sh -DKESTROVA_BENCH=ON
# emcc links with Debian's acorn (see scripts/build-web.sh).
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
cmake --build "$build" -j2 --target kestrova_web_frame_bench kestrova_minimal_gl
echo "bench/web/build.sh: built in $((SECONDS - started)) s: $build" >&2
