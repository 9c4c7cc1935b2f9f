#!/usr/bin/env bash
# Builds the page and the shared tests with Emscripten (scripts/test-web-units.sh:
# the tests the Windows build runs under Wine, here under node and in headless
# Chromium), then checks the page itself in headless Chromium: a whole game
# played against the Linux build's picture and score file, the canvas's size,
# density and focus, the sound, the best results in IndexedDB, the model reader
# and the notices. Sets itself up on a fresh Debian machine (Emscripten,
# chromium, playwright-core, and the Linux build's game for the comparison).
# BUILD_DIR=... chooses the web build folder (default: build-web-tests).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-web-tests}
export BUILD_DIR=$build

echo "== the shared tests, in node and in Chromium =="
bash scripts/test-web-units.sh
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
cmake --build "$build" --target kestrova_model_page -j2

# The game end-to-end test holds the page against the Linux build.
bash scripts/setup.sh >/dev/null
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target kestrova expected_score_file -j2 >/dev/null

echo "== the page in headless Chromium =="
bash tests/web/licenses_test.sh "$build/dist"
node tests/web/storage_test.mjs "$build/tests"
node tests/web/model_test.mjs "$build"
node tests/web/sound_test.mjs "$build/dist"
node tests/web/window_test.mjs "$build/dist"
node tests/web/offline_test.mjs "$build/dist"
KESTROVA_LINUX_BUILD=build bash scripts/with-display.sh node tests/web/game_test.mjs "$build/dist"
