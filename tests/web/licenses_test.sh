#!/usr/bin/env bash
# licenses_test.sh DIST
# The web build's folder carries LICENSES, which names each third-party part
# with its licence's own words, and no file in the folder is left unexplained:
# each is the game's own or named in LICENSES.
set -euo pipefail
dist=${1:?usage: licenses_test.sh DIST}
licenses="$dist/LICENSES"
[ -s "$licenses" ] || { echo "no LICENSES in $dist" >&2; exit 1; }
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

while IFS='|' read -r part words; do
  grep -qF "$part" "$licenses" || fail "LICENSES names no $part"
  grep -qF "$words" "$licenses" || fail "LICENSES lacks the licence of $part: \"$words\""
done <<'PARTS'
SDL2 2.26.5|This software is provided 'as-is'
Emscripten 3.1.6|License: NCSA~Mozilla
musl libc|musl as a whole is licensed under the following standard MIT license
libc++abi|LLVM Exceptions to the Apache 2.0 License
compiler-rt|TERMS AND CONDITIONS FOR USE, REPRODUCTION, AND DISTRIBUTION
dlmalloc|released to the public domain
Open Asset Import Library (Assimp) 5.2.5|Neither the name of the assimp team
UTF8-CPP|Permission is hereby granted, free of charge, to any person or organization
zlib 1.2.13|Jean-loup Gailly and Mark Adler
js-synthesizer 1.13.0|Copyright (C) 2018 jet
libfluidsynth-2.4.6.js|GNU LESSER GENERAL PUBLIC LICENSE
FluidSynth 2.4.6|Version 2.1, February 1999
TimGM6mb|Version 2, June 1991
PARTS

for file in "$dist"/*; do
  name=$(basename "$file")
  case "$name" in
    index.html | kestrova.js | kestrova.wasm | kestrova_model_reader.js | kestrova_model_reader.wasm | LICENSES) ;;
    # The page's own: offline play, and installing it (icons drawn from packaging/kestrova.svg).
    offline.js | offline_worker.js | kestrova.webmanifest | kestrova-192.png | kestrova-512.png | kestrova-maskable-512.png) ;;
    *) grep -qF "$name" "$licenses" || fail "LICENSES does not explain $name" ;;
  esac
done

[ "$failures" -eq 0 ] || exit 1
echo "the web build's LICENSES: ok"
