#!/usr/bin/env bash
# Builds the Windows program on Debian: installs the MinGW-w64 cross compiler,
# Wine and NSIS, builds (once, then from the cache) the libraries Debian has no
# Windows build of, cross-builds into $BUILD_DIR (default: build-windows) and
# leaves in $BUILD_DIR/dist the player's zip, kestrova-windows-x86_64.zip, and
# installer, kestrova-<version>-setup.exe. Extra arguments go to CMake
# (-DKESTROVA_TESTS=ON builds the tests that run under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
prefix="$(bash scripts/windows-deps.sh)"
# CPack makes the installer with NSIS's makensis.
bash scripts/ensure-packages.sh nsis
build="${BUILD_DIR:-build-windows}"
# A new recipe means a new prefix; a cache still pointing at the old one would
# keep its libraries, so it starts afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qxF "CMAKE_PREFIX_PATH:UNINITIALIZED=$prefix" "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_PREFIX_PATH="$prefix" \
  -DKESTROVA_WINDOWS_DLLS="$prefix/bin/libepoxy-0.dll" \
  -DKESTROVA_TESTS=OFF -DKESTROVA_BENCH=OFF "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/package/kestrova-*-setup.exe "$build"/dist/kestrova-*-setup.exe
cpack --config "$build/CPackConfig.cmake" >/dev/null
mv "$build"/package/kestrova-*-setup.exe "$build/dist/"
ls "$build"/dist/kestrova-windows-x86_64.zip "$build"/dist/kestrova-*-setup.exe
