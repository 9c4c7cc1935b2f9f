#!/usr/bin/env bash
# Builds the game for the browser with Emscripten into build-web/dist/: our own
# page (index.html), kestrova.js and kestrova.wasm, which any static web server
# serves as they are. Sets itself up on a fresh Debian machine: scripts/web-deps.sh
# installs Emscripten and builds SDL2 from Debian's source (cached outside the
# tree). Extra arguments go to CMake; BUILD_DIR=... chooses another build folder.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build-web}
case $build in /*) ;; *) build=$repo/$build ;; esac
prefix=$(bash "$repo/scripts/web-deps.sh")
# The page's synthesiser (js-synthesizer from npm) and Debian's General MIDI
# sound font, which the build puts beside the page.
bash "$repo/scripts/ensure-packages.sh" timgm6mb-soundfont
# Only when the lock changed: npm ci empties node_modules first, under the
# feet of another build copying from it.
synth=$repo/packaging/web
if ! [ "$synth/node_modules/.package-lock.json" -nt "$synth/package-lock.json" ]; then
  npm ci --prefix "$synth" --no-audit --no-fund --loglevel=error >/dev/null
fi

# A node newer than Debian's does not search Debian's module folder, where
# emcc's acorn lives.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
# pkg-config must find the SDL2 built there, never the machine's own (emcmake
# of this Emscripten leaves pkg-config as it is); the toolchain's find root
# must take in the prefix for its library to be found.
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH=
# A new recipe means a new prefix; a cache still holding the old one's
# pkg-config answers would keep them, so it starts afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qxF "CMAKE_FIND_ROOT_PATH:UNINITIALIZED=$prefix" "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
started=$SECONDS
emcmake cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_FIND_ROOT_PATH="$prefix" -DKESTROVA_TESTS=OFF -DKESTROVA_BENCH=OFF "$@" >/dev/null
cmake --build "$build" --target kestrova -j2
for f in index.html kestrova.js kestrova.wasm TimGM6mb.sf2 libfluidsynth-2.4.6.js LICENSES; do
  [ -f "$build/dist/$f" ] || { echo "build-web: the build left no dist/$f" >&2; exit 1; }
done
echo "build-web: built in $((SECONDS - started)) s: $build/dist" >&2
