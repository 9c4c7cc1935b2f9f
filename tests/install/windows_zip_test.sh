#!/usr/bin/env bash
# windows_zip_test.sh ZIP
# The portable zip: one folder holding the program without its debugging
# symbols, the DLL it needs, README.txt and the third-party notices; nothing else.
set -euo pipefail
zip=$(realpath "$1")
[ -f "$zip" ] || { echo "no zip: $zip" >&2; exit 1; }
source "$(dirname "$0")/../support/launcher_check.sh"
launcher_test_setup windows-zip

listing=$(cmake -E tar tf "$zip" | sed 's#/$##' | sort)
expected=$(printf '%s\n' kestrova kestrova/kestrova.exe kestrova/libepoxy-0.dll kestrova/README.txt \
  kestrova/THIRD-PARTY-NOTICES.txt | sort)
[ "$listing" = "$expected" ] || fail "the zip holds:
$listing
and not:
$expected"

(cd "$scratch" && cmake -E tar xf "$zip")
unpacked="$scratch/kestrova"
objdump=x86_64-w64-mingw32-objdump
$objdump -f "$unpacked/kestrova.exe" | grep -q 'file format pei-x86-64' || fail "kestrova.exe is no 64-bit Windows program"
if $objdump -h "$unpacked/kestrova.exe" | grep -q '\.debug_'; then fail "kestrova.exe keeps its debugging symbols"; fi
for text in README.txt THIRD-PARTY-NOTICES.txt; do
  [ -s "$unpacked/$text" ] || fail "$text is empty"
done

# Each part the program carries, with its own licence's words.
notices="$unpacked/THIRD-PARTY-NOTICES.txt"
while IFS='|' read -r part words; do
  grep -qF "$part" "$notices" || fail "the notices name no $part"
  grep -qF "$words" "$notices" || fail "the notices lack the licence of $part"
done <<'PARTS'
libepoxy|Permission is hereby granted, free of charge
Open Asset Import Library (Assimp)|Neither the name of the assimp team
UTF8-CPP|Permission is hereby granted, free of charge, to any person or organization
zlib|This software is provided 'as-is'
statically|Copyright (c) 2011 mingw-w64 project
GCC RUNTIME LIBRARY EXCEPTION|Version 3, 29 June 2007
NSIS|Common Public License version 1.0
PARTS

[ "$failures" -eq 0 ] || exit 1
echo "the Windows zip: ok"
