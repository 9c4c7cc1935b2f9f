#!/usr/bin/env bash
# Builds the libraries the browser build links against, with Emscripten, from
# Debian's own source packages: SDL2 (static, without threads: a page with
# threads needs special headers from its server), and for the model reader's
# worker Assimp (only the DirectX .x importer, static) with zlib. Emscripten's
# ports download their sources, which these machines cannot reach (Debian's
# Emscripten also freezes its cache), and Debian's Assimp source leaves out its
# bundled zlib. Installs whatever it needs first, Emscripten included.
#
#   prefix=$(scripts/web-deps.sh)         # stdout is the prefix alone; progress goes to stderr
#   scripts/web-deps.sh --print-prefix    # the prefix if it is built; else exit 1, touching nothing
#
# The cache lives outside the repository, in
# ${KESTROVA_WEB_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/kestrova/web-deps},
# so a fresh clone on the same machine finds it. Each prefix there is named for
# a hash of this script, the Emscripten package's version and the source
# package's files: change any of them and it builds anew.
set -euo pipefail

root=${KESTROVA_WEB_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/kestrova/web-deps}
jobs=2
src_list=/etc/apt/sources.list.d/kestrova-src.sources
sources=(libsdl2 assimp zlib)

print_only=false
case "${1:-}" in
  "") ;;
  --print-prefix) print_only=true ;;
  *) echo "usage: $0 [--print-prefix]" >&2; exit 2 ;;
esac

log() { echo "web-deps: $*" >&2; }
die() { log "$*"; exit 1; }

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

packages=(emscripten cmake ninja-build pkg-config python3 dpkg-dev curl ca-certificates xz-utils bzip2
  libutfcpp-dev libstb-dev)
# Packages whose files end up inside what is built.
build_inputs=(emscripten libutfcpp-dev libstb-dev)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# The source package as its release has it (libsdl2/bookworm): see windows-deps.sh.
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
source_specs=()
for s in "${sources[@]}"; do source_specs+=("$s${codename:+/$codename}"); done

source_uris() {
  apt-get source --print-uris --only-source "${source_specs[@]}" 2>/dev/null | grep "^'" || true
}

# Debian's stanzas from the machine's own deb822 files, as deb-src.
deb_src_stanzas() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && [ "$f" != "$src_list" ] || continue
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /(^|\n)Types:[^\n]*deb( |\n|$)/ && /(^|\n)URIs:[^\n]*debian/ {
           sub(/Types:[^\n]*/, "Types: deb-src"); print
         }' "$f"
  done
  # An older machine may have only one-line entries.
  if [ -f /etc/apt/sources.list ]; then
    awk '$1 == "deb" && $0 ~ /debian/ {
           signed = ""
           if ($2 ~ /^\[/) {
             if (match($0, /signed-by=[^] ]+/)) signed = substr($0, RSTART + 10, RLENGTH - 10)
             while ($2 !~ /\]$/) { $2 = ""; $0 = $0 }
             $2 = ""; $0 = $0
           }
           comps = ""
           for (i = 4; i <= NF; i++) comps = comps (comps == "" ? "" : " ") $i
           printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n", $2, $3, comps
           if (signed != "") printf "Signed-By: %s\n", signed
           printf "\n"
         }' /etc/apt/sources.list
  fi
}

uris=$(source_uris)
if [ ${#missing[@]} -gt 0 ] || [ -z "$uris" ]; then
  if $print_only; then
    die "not set up yet (missing: ${missing[*]:-Debian source index}); run $0 without --print-prefix"
  fi
  if [ -z "$uris" ]; then
    stanzas=$(deb_src_stanzas)
    [ -n "$stanzas" ] || die "no Debian entry in /etc/apt to copy as deb-src"
    log "adding Debian's source index as $src_list"
    printf '# Debian source packages, for the build scripts of Kestrova.\n%s\n' "$stanzas" |
      $sudo tee "$src_list" >/dev/null
  fi
  log "apt-get update"
  $sudo apt-get update -q >&2
  if [ ${#missing[@]} -gt 0 ]; then
    log "installing: ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
  fi
  uris=$(source_uris)
  [ -n "$uris" ] || die "apt-get source finds no ${sources[*]}"
fi

# A node newer than Debian's does not search Debian's module folder, where
# emcc's acorn lives.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

versions=$(dpkg-query -W -f='${Package} ${Version}\n' "${build_inputs[@]}")
key=$( { sha256sum "${BASH_SOURCE[0]}" | cut -d' ' -f1; echo "$versions"; echo "$uris" | awk '{print $2, $4}'; } |
  sha256sum | cut -c1-16)
prefix=$root/$key

build_deps() {
  mkdir -p "$root"
  exec 9>"$root/.lock"
  flock 9
  [ -d "$prefix" ] && return 0
  # Left by a run that was stopped: nothing else uses them while the lock is held.
  rm -rf "$root"/.build-*
  log "building SDL2, zlib and Assimp into $prefix (output in $root/last-build.log)"
  local started=$SECONDS buildlog=$root/last-build.log
  # Global: the trap below runs after this function has returned.
  work=$(mktemp -d "$root/.build-$key.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  : >"$buildlog"
  run() { "$@" >>"$buildlog" 2>&1 || { tail -n 40 "$buildlog" >&2; die "failed: $* (log: $buildlog)"; }; }
  mkdir -p "$work/dl" "$work/src" "$work/build"

  # The upstream tarballs alone, checked against Debian's index; Debian's own
  # patches are for its Linux packaging, not for this backend.
  fetch_source() {
    local pkg=$1 line url name sum
    line=$(echo "$uris" | awk -v p="$pkg" 'index($2, p "_") == 1 && $2 ~ /\.orig\.tar\./ && $2 !~ /\.asc$/')
    [ "$(echo "$line" | wc -l)" -eq 1 ] && [ -n "$line" ] || die "no single upstream tarball for $pkg"
    read -r url name _ sum <<<"$line"
    url=${url//\'/}
    sum=${sum#SHA256:}
    (cd "$work/dl" && apt-get source -q --download-only -o APT::Sandbox::User=root --only-source "$pkg${codename:+/$codename}") >>"$buildlog" 2>&1 ||
      log "apt-get source $pkg did not fetch every file; only the upstream tarball is needed"
    if [ ! -f "$work/dl/$name" ] || ! echo "$sum  $work/dl/$name" | sha256sum -c --quiet - >/dev/null 2>&1; then
      log "fetching $name from the pool"
      run curl -fsSL --retry 3 -o "$work/dl/$name" "$url"
    fi
    echo "$sum  $work/dl/$name" | sha256sum -c --quiet - || die "$name does not match Debian's index"
    mkdir -p "$work/src/$pkg"
    tar -xf "$work/dl/$name" -C "$work/src/$pkg" --strip-components=1
  }
  local s
  for s in "${sources[@]}"; do fetch_source "$s"; done

  # Static, without threads (a page with threads needs special headers), and
  # only the parts the game uses: video, events and timers.
  log "SDL2"
  run emcmake cmake -S "$work/src/libsdl2" -B "$work/build/sdl2" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
    -DSDL_THREADS=OFF -DSDL_AUDIO=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_SENSOR=OFF \
    -DSDL_HIDAPI=OFF -DSDL_POWER=OFF -DSDL2_DISABLE_SDL2MAIN=ON
  run cmake --build "$work/build/sdl2" -j"$jobs"
  run env DESTDIR="$work/stage" cmake --install "$work/build/sdl2"

  # zlib, static, for Assimp's compressed .x files (and its zip reader).
  log "zlib"
  cp -r "$work/src/zlib" "$work/build/zlib"
  run bash -c "cd '$work/build/zlib' && emconfigure ./configure --static --prefix='$prefix' && emmake make -j$jobs libz.a &&
    emmake make install DESTDIR='$work/stage'"

  # Assimp for the model reader's worker alone (the game's program never
  # links it): the .x importer, static, no exporters, no threads, and with
  # exceptions, which it throws and catches itself on bad files. Debian's
  # repacked source leaves out its bundled copies: minizip comes from zlib's
  # own source, utf8cpp and stb_image from Debian's headers, each put where
  # Assimp's build looks for its copy.
  local a=$work/src/assimp
  mkdir -p "$a/contrib/unzip" "$a/contrib/utf8cpp/source" "$a/contrib/stb"
  cp "$work/src/zlib/contrib/minizip/"{ioapi.c,ioapi.h,unzip.c,unzip.h,crypt.h} "$a/contrib/unzip/"
  cp -r /usr/include/utf8cpp/. "$a/contrib/utf8cpp/source/"
  cp /usr/include/stb/stb_image.h "$a/contrib/stb/"
  # Assimp's copy split crypt.h into a .c file; zlib's keeps it all in the header.
  grep -q 'contrib/unzip/crypt\.c' "$a/code/CMakeLists.txt" || die "Assimp no longer lists crypt.c"
  sed -i '\#contrib/unzip/crypt\.c#d' "$a/code/CMakeLists.txt"
  log "assimp"
  run emcmake cmake -S "$a" -B "$work/build/assimp" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-fexceptions \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_X_IMPORTER=ON \
    -DASSIMP_NO_EXPORT=ON -DASSIMP_BUILD_ASSIMP_TOOLS=OFF -DASSIMP_BUILD_TESTS=OFF \
    -DASSIMP_BUILD_SAMPLES=OFF -DASSIMP_BUILD_DOCS=OFF -DASSIMP_INSTALL_PDB=OFF \
    -DASSIMP_BUILD_ZLIB=OFF -DASSIMP_BUILD_MINIZIP=ON \
    -DZLIB_LIBRARY="$work/stage$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$work/stage$prefix/include" \
    -DASSIMP_WARNINGS_AS_ERRORS=OFF -DASSIMP_IGNORE_GIT_HASH=ON -DASSIMP_INJECT_DEBUG_POSTFIX=OFF
  run cmake --build "$work/build/assimp" -j"$jobs"
  run env DESTDIR="$work/stage" cmake --install "$work/build/assimp"

  local built=$work/stage$prefix
  for f in lib/libSDL2.a lib/pkgconfig/sdl2.pc include/SDL2/SDL.h lib/libz.a lib/libassimp.a \
           include/assimp/cimport.h lib/cmake/assimp-5.2/assimpConfig.cmake; do
    [ -e "$built/$f" ] || die "the build left no $f"
  done
  { echo "key $key"; echo "$versions"; echo "$uris" | awk '{print $2, $4}'; } >"$built/web-deps.txt"
  mv "$built" "$prefix"
  log "built in $((SECONDS - started)) s: $prefix"
}

if $print_only; then
  [ -d "$prefix" ] || die "$prefix is not built yet; run $0"
elif [ -d "$prefix" ]; then
  log "cached: $prefix"
else
  build_deps
fi
echo "$prefix"
