#!/usr/bin/env bash
# Builds the Windows program with its tests, checks the player's zip and runs
# the tests under Wine in a private X display: the unit, scene and picture
# tests through ctest, then whole games of kestrova.exe played end to end by
# the Linux build's end-to-end test, whose first picture it is also held
# against, and games with the desktop at 100 and 150 %; last the installer,
# installed silently in a Wine prefix of its own, a game played from it and
# uninstalled.
# $BUILD_DIR (default: build-windows) is the Windows build; $LINUX_BUILD_DIR
# (default: build) the Linux build that drives the end-to-end games.
set -euo pipefail
cd "$(dirname "$0")/.."
windows="${BUILD_DIR:-build-windows}"
linux="${LINUX_BUILD_DIR:-build}"
BUILD_DIR="$windows" bash scripts/build-windows.sh -DKESTROVA_TESTS=ON "$@" >/dev/null
bash tests/install/windows_zip_test.sh "$windows/dist/kestrova-windows-x86_64.zip"
bash scripts/with-display.sh ctest --test-dir "$windows" --no-tests=error --output-on-failure -j"$(nproc)" --timeout 600

echo "== kestrova.exe under Wine, end to end =="
BUILD_DIR="$linux" BUILD_TARGET=e2e_wine_game_test bash scripts/build.sh \
  -DKESTROVA_TESTS=ON -DKESTROVA_WINDOWS_EXE="$PWD/$windows/dist/kestrova/kestrova.exe"
cmake --build "$linux" -j"$(nproc)" --target e2e_wine_high_dpi_test
bash scripts/with-display.sh ctest --test-dir "$linux" --no-tests=error --output-on-failure \
  -R '^e2e_wine_(game|high_dpi)_test$' --timeout 900

echo "== the installer under Wine =="
bash scripts/with-display.sh bash tests/install/windows_installer_test.sh "$windows"/dist/kestrova-*-setup.exe \
  "$windows/dist/kestrova" "$linux/tests/e2e/e2e_wine_game_test"
