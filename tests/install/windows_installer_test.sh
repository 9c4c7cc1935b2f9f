#!/usr/bin/env bash
# windows_installer_test.sh SETUP PORTABLE_DIR E2E_WINE_GAME_TEST
# In a Wine prefix of its own: installs silently, as setup.exe /S; looks at
# what setup left (the portable copy's files, the entry among the installed
# apps, the Start-menu shortcut); plays the end-to-end test's first whole game
# with the shortcut's program in the shortcut's working folder; uninstalls
# silently, after which only the results may stay. Needs an X display.
set -euo pipefail
setup=$(realpath "$1")
portable=$(realpath "$2")
driver=$(realpath "$3")
version=$(basename "$setup" | sed -n 's/^kestrova-\(.*\)-setup\.exe$/\1/p')
[ -n "$version" ] || { echo "not an installer's name: $setup" >&2; exit 1; }

source "$(dirname "$0")/../support/launcher_check.sh"
launcher_test_setup windows-installer
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all
# No offers of Mono or Gecko, and no menu entries on this machine for the shortcut.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
trap 'wineserver -k 2>/dev/null || true; launcher_test_cleanup' EXIT
wine=/usr/lib/wine/wine64
"$wine" wineboot --init >/dev/null 2>&1 || true
wineserver -w
# Stops the test at a failure the later steps would only repeat.
check_point() { [ "$failures" -eq 0 ] || exit 1; }

# A program that would need the administrator is asked for it before it starts.
grep -aq 'requestedExecutionLevel level="asInvoker"' "$setup" || fail "setup does not run with the player's own rights"
"$wine" "$setup" /S || fail "setup /S ended with status $?"
wineserver -w

folder() { "$wine" cmd /c echo "%$1%" | tr -d '\r'; }
unix() { "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
program_dir="$(folder LOCALAPPDATA)\\Programs\\Kestrova"
data_dir="$(folder LOCALAPPDATA)\\Kestrova"
programs=$(unix "$program_dir")
data=$(unix "$data_dir")
shortcut=$(unix "$(folder APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs")/Kestrova.lnk

# The portable copy's files, the same bytes, and the uninstaller.
expected=$( (cd "$portable" && find . -type f && echo ./Uninstall.exe) | sort)
installed=$(cd "$programs" 2>/dev/null && find . -type f | sort)
[ "$installed" = "$expected" ] || fail "in $program_dir: $(echo $installed), not $(echo $expected)"
for file in $(cd "$portable" && find . -type f); do
  cmp -s "$portable/$file" "$programs/$file" || fail "the installed $file is not the zip's"
done
[ -d "$data" ] && [ -z "$(ls -A "$data")" ] || fail "setup made no empty results folder $data_dir"
check_point

key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrova'
entry=$("$wine" reg query "$key" | tr -d '\r') || fail "no $key"
value() { echo "$entry" | sed -n "s/^    $1    REG_[A-Z_]*    //p"; }
[ "$(value DisplayName)" = Kestrova ] || fail "DisplayName '$(value DisplayName)'"
[ "$(value DisplayVersion)" = "$version" ] || fail "DisplayVersion '$(value DisplayVersion)', not $version"
[ -n "$(value Publisher)" ] || fail "no Publisher"
[ "$(value DisplayIcon)" = "$program_dir\\kestrova.exe,0" ] || fail "DisplayIcon '$(value DisplayIcon)'"
uninstaller="$program_dir\\Uninstall.exe"
[ "$(value UninstallString)" = "\"$uninstaller\"" ] || fail "UninstallString '$(value UninstallString)'"
[ "$(value QuietUninstallString)" = "\"$uninstaller\" /S" ] || fail "QuietUninstallString '$(value QuietUninstallString)'"
# In KiB; rounding may cost each file one.
kib=$(( $(value EstimatedSize) ))
bytes=$(find "$programs" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
files=$(find "$programs" -type f | wc -l)
[ $((kib * 1024)) -le "$bytes" ] && [ $(((kib + files) * 1024)) -ge "$bytes" ] ||
  fail "EstimatedSize $kib KiB for $bytes bytes"

# The fields of the shortcut (Shell Link format): its target from the link
# information, then the strings, each a count and that many characters.
fields=$(python3 - "$shortcut" <<'EOF'
import struct, sys
link = open(sys.argv[1], 'rb').read()
flags = struct.unpack_from('<I', link, 0x14)[0]
at = 0x4C
if flags & 0x01:  # an item ID list
    at += 2 + struct.unpack_from('<H', link, at)[0]
target = ''
if flags & 0x02:  # link information
    size, _, info_flags, _, base, _, suffix = struct.unpack_from('<7I', link, at)
    text = lambda offset: link[at + offset:link.index(b'\0', at + offset)].decode('latin-1')
    if info_flags & 0x01:  # a local path
        target = text(base) + text(suffix)
    at += size
strings = {}
for bit in (0x04, 0x08, 0x10, 0x20, 0x40):  # name, relative path, working folder, arguments, icon
    if flags & bit:
        width = 2 if flags & 0x80 else 1
        count = struct.unpack_from('<H', link, at)[0]
        chars = link[at + 2:at + 2 + count * width].decode('utf-16-le' if width == 2 else 'latin-1')
        strings[bit] = chars.rstrip('\0')  # Wine counts the terminating null too
        at += 2 + count * width
print(target, strings.get(0x10, ''), strings.get(0x20, ''), sep='\n')
EOF
) || fail "no shortcut $shortcut"
mapfile -t field <<<"$fields"
target=${field[0]:-} workdir=${field[1]:-} arguments=${field[2]:-}
# Windows' paths are the same in any case.
[ "${target,,}" = "${program_dir,,}\\kestrova.exe" ] || fail "the shortcut starts '$target'"
[ "${workdir,,}" = "${data_dir,,}" ] || fail "the shortcut starts the game in '$workdir'"
[ -z "$arguments" ] || fail "the shortcut passes '$arguments'"
check_point

# A whole game as a player starts it from the Start menu: the shortcut's
# program in the shortcut's working folder.
if ! KESTROVA_WINDOWS_EXE="$target" KESTROVA_E2E_DIRECTORY=$(unix "$workdir") "$driver" \
     --gtest_filter=GamePlay.AWholeGameEndsWithTheNameTypedInTheTableAndItsFile >"$scratch/wine-game.log" 2>&1; then
  grep -v '^ALSA lib' "$scratch/wine-game.log" >&2
  fail "the whole game from the Start menu"
fi
[ -s "$data/Kestrova.res" ] || fail "no results in $data_dir after a game"
[ -z "$(find "$programs" -iname 'Kestrova.res*')" ] || fail "the game wrote into its program folder"
check_point
cp "$data/Kestrova.res" "$scratch/results"

# Uninstalling leaves the results, and nothing else of the game.
"$wine" "$uninstaller" /S || fail "the uninstaller /S ended with status $?"
# It runs on from a copy of itself in the temporary folder.
wineserver -w
[ ! -e "$programs" ] || fail "left in $program_dir: $(ls -A "$programs")"
[ ! -e "$shortcut" ] || fail "the shortcut stayed"
if "$wine" reg query "$key" >/dev/null 2>&1; then fail "the uninstall entry stayed"; fi
[ "$(ls -A "$data")" = Kestrova.res ] && cmp -s "$scratch/results" "$data/Kestrova.res" ||
  fail "the results folder does not hold the results alone, as they were"

[ "$failures" -eq 0 ] || exit 1
echo "the Windows installer: ok"
