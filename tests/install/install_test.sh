#!/usr/bin/env bash
# install_test.sh BUILD_DIR PROGRAM
set -euo pipefail
build="$1"
program="$2"
[ -x "$program" ] || { echo "the program is not built: $program" >&2; exit 1; }

source "$(dirname "$0")/../support/launcher_check.sh"
launcher_test_setup install

prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

[ -x "$prefix/bin/kestrova" ] || fail "no launcher in bin"
[ -x "$prefix/libexec/kestrova/kestrova" ] || fail "no program in libexec/kestrova"
cmp -s "$program" "$prefix/libexec/kestrova/kestrova" || fail "the installed program is not the built one"

desktop="$prefix/share/applications/kestrova.desktop"
if [ -f "$desktop" ]; then
  grep -qx 'Name=Kestrova' "$desktop" || fail "desktop entry: Name"
  grep -qx 'Icon=kestrova' "$desktop" || fail "desktop entry: Icon"
  grep -qx 'Exec=kestrova' "$desktop" || fail "desktop entry: Exec is not the launcher's name"
  grep -qx 'Categories=Game;ArcadeGame;' "$desktop" || fail "desktop entry: Categories"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
  fi
else
  fail "no desktop entry"
fi

# What software centres list, naming the menu entry above.
if [ -n "$(find "$prefix/share/metainfo" -name '*.metainfo.xml' 2>/dev/null)" ]; then
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate-tree --no-net "$prefix" >"$scratch/appstream" 2>&1 ||
      { fail "appstreamcli validate-tree"; cat "$scratch/appstream" >&2; }
  fi
else
  fail "no AppStream metadata in share/metainfo"
fi

icons="$prefix/share/icons/hicolor"
grep -q '<svg' "$icons/scalable/apps/kestrova.svg" 2>/dev/null || fail "no scalable icon"
for size in 48 128 256; do
  png="$icons/${size}x${size}/apps/kestrova.png"
  # The signature, then IHDR's width and height, big-endian.
  header=$(od -An -tx1 -N24 "$png" 2>/dev/null | tr -d ' \n')
  expected=$(printf '89504e470d0a1a0a0000000d49484452%08x%08x' "$size" "$size")
  [ "$header" = "$expected" ] || fail "icon $png is no ${size}x${size} PNG"
done

# Starts the launcher from elsewhere and reports the game's working directory
# once the launcher has become the game.
started_in_tree() {
  local installed="$1"
  shift
  started_in "$installed/bin/kestrova" "$installed/libexec/kestrova/kestrova" "$@"
}

data="$scratch/data with space"
got=$(started_in_tree "$prefix" XDG_DATA_HOME="$data")
[ "$got" = "$data/kestrova" ] || fail "with XDG_DATA_HOME the game ran in '$got', not '$data/kestrova'"

# A relative XDG_DATA_HOME is to be ignored; and the tree works wherever it is moved.
moved="$scratch/moved"
mv "$prefix" "$moved"
home="$scratch/home"
mkdir -p "$home"
got=$(started_in_tree "$moved" -u XDG_DATA_HOME HOME="$home")
[ "$got" = "$home/.local/share/kestrova" ] || fail "without XDG_DATA_HOME the game ran in '$got'"
got=$(started_in_tree "$moved" XDG_DATA_HOME=relative HOME="$home")
[ "$got" = "$home/.local/share/kestrova" ] || fail "with a relative XDG_DATA_HOME the game ran in '$got'"
[ -z "$(find "$moved" -name 'Kestrova.res*')" ] || fail "the game wrote into its install tree"

if [ "$failures" -ne 0 ]; then
  cat "$scratch/game.log" >&2
  exit 1
fi
echo "installed tree and launcher: ok"
