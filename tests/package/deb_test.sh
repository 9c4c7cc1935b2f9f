#!/usr/bin/env bash
# deb_test.sh PACKAGE.deb: what a Debian or Ubuntu player gets from the package.
# Its name and version are the CMake project's, its files are where Debian puts
# a game's, it depends on the libraries the program links and on a sound font,
# whose notices it carries, software centres find valid AppStream metadata,
# lintian finds no error, and the game starts from the unpacked tree.
set -euo pipefail
deb="$1"
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$deb" ] || { echo "no package: $deb" >&2; exit 1; }

source "$here/../support/launcher_check.sh"
launcher_test_setup deb

version=$(sed -n 's/^project(Kestrova VERSION \([0-9.]*\) .*/\1/p' "$here/../../CMakeLists.txt")
[ -n "$version" ] || fail "no version in the CMake project"
[ "$(basename "$deb")" = "kestrova_${version}_amd64.deb" ] || fail "package file $(basename "$deb") is not kestrova_${version}_amd64.deb"
[ "$(dpkg-deb -f "$deb" Package)" = kestrova ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version)"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 'libstdc\+\+6' libsdl2-2.0-0 libsdl2-ttf-2.0-0 libepoxy0 libfontconfig1 libfluidsynth3 'libassimp[0-9]' libx11-6 libgl1; do
  grep -Eq "(^|, )$library( |,|$)" <<<"$depends" || fail "Depends lacks $library: $depends"
done
grep -q 'timgm6mb-soundfont | fluid-soundfont-gm' <<<"$depends" || fail "Depends lacks a General MIDI sound font"

# Debian's layout for games, and nothing of the plain install tree's.
dpkg-deb -c "$deb" >"$scratch/contents"
for path in usr/games/kestrova usr/lib/games/kestrova/kestrova usr/share/applications/kestrova.desktop \
            usr/share/icons/hicolor/scalable/apps/kestrova.svg usr/share/icons/hicolor/48x48/apps/kestrova.png \
            usr/share/man/man6/kestrova.6.gz usr/share/doc/kestrova/copyright usr/share/doc/kestrova/changelog.gz \
            usr/share/doc/kestrova/THIRD-PARTY-NOTICES; do
  grep -q " \./$path\$" "$scratch/contents" || fail "the package lacks /$path"
done
grep -Eq ' \./usr/(bin|libexec|local)/' "$scratch/contents" && fail "the package has files outside Debian's layout"
awk '$2 != "root/root"' "$scratch/contents" | grep -q . && fail "files not owned by root"

lintian --fail-on error --tag-display-limit 0 "$deb" >"$scratch/lintian" 2>&1 || fail "lintian found errors"
cat "$scratch/lintian"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
program="$root/usr/lib/games/kestrova/kestrova"
file -b "$program" | grep -q ', stripped' || fail "the program is not stripped"
zcat "$root/usr/share/doc/kestrova/changelog.gz" | head -n 1 | grep -q "^kestrova ($version) " || fail "changelog's version"
desktop="$root/usr/share/applications/kestrova.desktop"
grep -qx 'Exec=kestrova' "$desktop" || fail "the menu entry does not start /usr/games/kestrova"
grep -qx 'StartupWMClass=Kestrova' "$desktop" || fail "the menu entry names no window class"

# Each library the package depends on, but for the C and C++ runtimes, X11 and
# OpenGL, and each sound font it accepts has its notice, with its licence in full.
licence_lines() {
  case "$1" in
    libepoxy0) echo 'Permission is hereby granted, free of charge' ;;
    libassimp*)
      echo 'Neither the name of the assimp team'
      # What Debian's build of Assimp bundles.
      echo 'Boost Software License - Version 1.0'
      echo 'Neither the name of Poly2Tri'
      echo 'Copyright (c) 2014 Kim Kulling'
      echo 'Khaled Mammou - Advanced Micro Devices'
      echo 'Arseny Kapoulkine'
      echo 'Tencent is pleased to support the open source community'
      echo 'This is free and unencumbered software released into the public domain.'
      echo 'Copyright 2006 Nemanja Trifunovic' ;;
    libfluidsynth*) echo 'GNU LESSER GENERAL PUBLIC LICENSE'; echo 'Version 2.1, February 1999' ;;
    timgm6mb-soundfont) echo 'GNU GENERAL PUBLIC LICENSE'; echo 'Version 2, June 1991' ;;
    fluid-soundfont-gm) echo 'I hereby release Fluid under the MIT license' ;;
    libsdl2-2.0-0 | libsdl2-ttf-2.0-0) echo "This software is provided 'as-is'" ;;
    libfontconfig1) echo 'Permission to use, copy, modify, distribute, and sell this software' ;;
  esac
}
notices="$root/usr/share/doc/kestrova/THIRD-PARTY-NOTICES"
for dependency in $(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*//; s/ //g' | sort -u); do
  case "$dependency" in libc6 | 'libstdc++6' | libgcc-s1 | libx11-6 | libgl1) continue ;; esac
  # From its heading to the next one's.
  notice=$(sed -n "/^   Package: *$dependency\$/,/^   Package: /p" "$notices")
  [ -n "$notice" ] || { fail "THIRD-PARTY-NOTICES has no notice for $dependency"; continue; }
  [ -n "$(licence_lines "$dependency")" ] || fail "no licence known to this test for $dependency"
  while read -r line; do
    grep -qF "$line" <<<"$notice" || fail "the notice for $dependency lacks \"$line\""
  done < <(licence_lines "$dependency")
done

# What software centres list: valid AppStream metadata that names the menu
# entry and, as this release, the project's version on the changelog's date.
metainfo=$(find "$root/usr/share/metainfo" -name '*.metainfo.xml' 2>/dev/null)
if [ "$(wc -l <<<"$metainfo")" -ne 1 ] || [ ! -f "$metainfo" ]; then
  fail "the package has not one AppStream file in /usr/share/metainfo: $metainfo"
else
  id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")
  [ "$(basename "$metainfo")" = "$id.metainfo.xml" ] || fail "$(basename "$metainfo") is not named for its id $id"
  grep -qF '<launchable type="desktop-id">kestrova.desktop</launchable>' "$metainfo" ||
    fail "the AppStream file does not name the menu entry"
  released=$(date -u -d "$(zcat "$root/usr/share/doc/kestrova/changelog.gz" | sed -n 's/^ -- .*>  //p' | head -n 1)" +%F)
  grep -qF "<release version=\"$version\" date=\"$released\"" "$metainfo" ||
    fail "the AppStream file's release is not $version of $released"
  if command -v appstreamcli >/dev/null; then
    # --no-net: the screenshot's place on the project's site is not checked here.
    appstreamcli validate-tree --no-net "$root" >"$scratch/appstream" 2>&1 ||
      { fail "appstreamcli validate-tree"; cat "$scratch/appstream" >&2; }
  else
    fail "appstreamcli is not installed (Debian package appstream)"
  fi
fi

# The menu entry's command from the unpacked tree becomes the game, in the player's data directory.
data="$scratch/data"
started=$(started_in "$root/usr/games/kestrova" "$program" SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
  XDG_DATA_HOME="$data")
[ "$started" = "$data/kestrova" ] || { fail "the launcher did not start the game in $data/kestrova"; cat "$scratch/game.log" >&2; }

[ "$failures" -eq 0 ] || exit 1
echo "Debian package $(basename "$deb"): ok"
