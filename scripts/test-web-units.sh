#!/usr/bin/env bash
# Builds the tests the Windows build runs under Wine (tests/windows.cmake) for
# the browser and runs them through ctest: those that need no window under
# node, those that open a window or draw in headless Chromium, through
# tests/web/run_test_page.mjs. BUILD_DIR=... chooses the build folder (default:
# build-web-tests). Sets itself up as scripts/test-web.sh does, with the
# GoogleTest sources Debian ships (googletest).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-web-tests}
bash scripts/ensure-packages.sh googletest chromium
npm ci --prefix tests/web --no-audit --no-fund >/dev/null

started=$SECONDS
# Configures as the game's build does, and builds the game with it.
BUILD_DIR="$build" bash scripts/build-web.sh -DKESTROVA_TESTS=ON >/dev/null
# emcc links with Debian's acorn (see build-web.sh).
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
cmake --build "$build" -j2
echo "test-web-units: built in $((SECONDS - started)) s" >&2
ctest --test-dir "$build" --no-tests=error --output-on-failure -j2 --timeout 600 "$@"
echo "test-web-units: built and ran in $((SECONDS - started)) s" >&2
