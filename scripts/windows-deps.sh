#!/usr/bin/env bash
# Builds the libraries the Windows build links against, for x86_64-w64-mingw32,
# from Debian's own source packages: libepoxy (WGL, as a DLL), Assimp (only the
# DirectX .x importer, static) and GoogleTest with GoogleMock (static). zlib is
# Debian's libz-mingw-w64-dev. Installs whatever it needs first.
#
#   prefix=$(scripts/windows-deps.sh)       # stdout is the prefix alone; progress goes to stderr
#   scripts/windows-deps.sh --print-prefix  # the prefix if it is built; else exit 1, touching nothing
#
# Then: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_PREFIX_PATH="$prefix"
# (for pkg-config by hand: PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig). A program that
# uses epoxy ships $prefix/bin/libepoxy-0.dll beside its .exe.
#
# The cache lives outside the repository, in
# ${KESTROVA_WINDOWS_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/kestrova/windows-deps},
# so a fresh clone on the same machine finds it. Each prefix there is named for a
# hash of this script, the toolchain file, the source packages' files and the
# versions of the packages built against: change any of them and it builds anew.
# The same folder keeps the Wine prefix the toolchain file runs tests in.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$repo/cmake/mingw-w64-x86_64.cmake
root=${KESTROVA_WINDOWS_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/kestrova/windows-deps}
triple=x86_64-w64-mingw32
sysroot=/usr/$triple
jobs=2
src_list=/etc/apt/sources.list.d/kestrova-src.sources
sources=(libepoxy assimp zlib)

print_only=false
case "${1:-}" in
  "") ;;
  --print-prefix) print_only=true ;;
  *) echo "usage: $0 [--print-prefix]" >&2; exit 2 ;;
esac

# Only the prefix goes to stdout (fd 3 from here); every other word to stderr.
exec 3>&1 1>&2
log() { echo "windows-deps: $*"; }
die() { log "$*"; exit 1; }

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

# The -posix compilers: the win32 thread model has no std::thread or std::mutex.
packages=(
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev libz-mingw-w64-dev
  wine wine64
  meson ninja-build cmake pkg-config python3
  libgtest-dev googletest libutfcpp-dev libstb-dev
  dpkg-dev curl ca-certificates xz-utils bzip2
)
# Packages whose files end up inside the built libraries.
build_inputs=(
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev libz-mingw-w64-dev googletest libutfcpp-dev libstb-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# Each source package as its release has it (libepoxy/bookworm): the security
# archive's source pool may refuse downloads, and what a security update adds
# is a Debian patch, which is not applied here anyway.
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
source_specs=()
for s in "${sources[@]}"; do source_specs+=("$s${codename:+/$codename}"); done

# 'URI' name size SHA256:hash for each file of the source packages apt would fetch.
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
    printf '# Debian source packages, for scripts/windows-deps.sh of Kestrova.\n%s\n' "$stanzas" |
      $sudo tee "$src_list" >/dev/null
  fi
  log "apt-get update"
  $sudo apt-get update -q
  if [ ${#missing[@]} -gt 0 ]; then
    log "installing: ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
  uris=$(source_uris)
  [ -n "$uris" ] || die "apt-get source finds no ${sources[*]}"
fi

versions=$(dpkg-query -W -f='${Package} ${Version}\n' "${build_inputs[@]}")
key=$( { sha256sum "${BASH_SOURCE[0]}" "$toolchain" | cut -d' ' -f1; echo "$versions"; echo "$uris" | awk '{print $2, $4}'; } |
  sha256sum | cut -c1-16)
prefix=$root/$key
wineprefix=$root/wineprefix

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)

# Wine builds a new prefix on first use, which takes seconds and must not race
# between two tests started at once: it is made here, once, under the lock.
ensure_wineprefix() {
  [ -f "$wineprefix/system.reg" ] && return 0
  log "making the Wine prefix $wineprefix"
  rm -rf "$wineprefix"
  local tmp
  tmp=$(mktemp -d "$root/.wineprefix.XXXXXX")
  WINEPREFIX=$tmp WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot --init 2>/dev/null || true
  WINEPREFIX=$tmp wineserver -w
  [ -f "$tmp/system.reg" ] || die "wineboot made no prefix in $tmp"
  mv "$tmp" "$wineprefix"
}

if $print_only; then
  [ -d "$prefix" ] || die "$prefix is not built yet; run $0"
  echo "$prefix" >&3
  exit 0
fi

mkdir -p "$root"
exec 9>"$root/.lock"
if [ -d "$prefix" ] && [ -f "$wineprefix/system.reg" ]; then
  log "cached: $prefix"
  echo "$prefix" >&3
  exit 0
fi
flock 9
# Left by a run that was stopped: nothing else uses them while the lock is held.
rm -rf "$root"/.build-* "$root"/.wineprefix.*
ensure_wineprefix
if [ -d "$prefix" ]; then
  log "cached: $prefix"
  echo "$prefix" >&3
  exit 0
fi

log "building into $prefix (a few minutes; output in $root/last-build.log)"
started=$SECONDS
work=$(mktemp -d "$root/.build-$key.XXXXXX")
trap 'rm -rf "$work"' EXIT
buildlog=$root/last-build.log
: >"$buildlog"
# Runs a step with its output in the log, shown only when the step fails.
run() {
  "$@" >>"$buildlog" 2>&1 || { tail -n 40 "$buildlog"; die "failed: $* (log: $buildlog)"; }
}
stage=$work/stage
mkdir -p "$work/dl" "$work/src" "$work/build"

# Fetches the upstream tarball of a source package and unpacks it into
# $work/src/<package>. The mirror may refuse Debian's packaging tarball, which
# apt-get source then reports as a failure; the upstream tarball is all a cross
# build needs. Debian's Assimp patches point it at system libraries, done below
# by other means, and touch the Python binding and docs, which are not built.
fetch_source() {
  local pkg=$1 line url name sum
  line=$(echo "$uris" | awk -v p="$pkg" 'index($2, p "_") == 1 && $2 ~ /\.orig\.tar\./ && $2 !~ /\.asc$/')
  [ "$(echo "$line" | wc -l)" -eq 1 ] && [ -n "$line" ] || die "no single upstream tarball for $pkg"
  read -r url name _ sum <<<"$line"
  url=${url//\'/}
  sum=${sum#SHA256:}
  if [ ! -f "$work/dl/$name" ]; then
    (cd "$work/dl" && apt-get source -q --download-only -o APT::Sandbox::User=root --only-source "$pkg${codename:+/$codename}") >>"$buildlog" 2>&1 ||
      log "apt-get source $pkg did not fetch every file; only the upstream tarball is needed"
  fi
  if [ ! -f "$work/dl/$name" ] || ! echo "$sum  $work/dl/$name" | sha256sum -c --quiet - >/dev/null 2>&1; then
    log "fetching $name from the pool"
    run curl -fsSL --retry 3 -o "$work/dl/$name" "$url"
  fi
  echo "$sum  $work/dl/$name" | sha256sum -c --quiet - || die "$name does not match Debian's index"
  mkdir -p "$work/src/$pkg"
  tar -xf "$work/dl/$name" -C "$work/src/$pkg" --strip-components=1
}

for s in "${sources[@]}"; do fetch_source "$s"; done

# --- libepoxy: a DLL, since a static epoxy sets up its per-thread dispatch
# tables in DllMain, which Windows never calls for an .exe.
cat >"$work/meson-cross.ini" <<EOF
[binaries]
c = '$triple-gcc-posix'
ar = '$triple-ar'
strip = '$triple-strip'
windres = '$triple-windres'
pkgconfig = 'pkg-config'

[properties]
pkg_config_libdir = ['$sysroot/lib/pkgconfig']

[built-in options]
c_link_args = ['-static-libgcc']

[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
EOF
log "libepoxy"
run meson setup "$work/build/epoxy" "$work/src/libepoxy" --cross-file "$work/meson-cross.ini" \
  --prefix "$prefix" --libdir lib --buildtype release -Ddefault_library=shared \
  -Degl=no -Dglx=no -Dx11=false -Dtests=false -Ddocs=false
run ninja -C "$work/build/epoxy" -j"$jobs"
run meson install -C "$work/build/epoxy" --destdir "$stage" --no-rebuild --strip

# --- Assimp. Debian's repacked source leaves out its bundled copies: minizip
# comes from zlib's own source, utf8cpp and stb_image from Debian's headers,
# each put where Assimp's build looks for its copy.
a=$work/src/assimp
mkdir -p "$a/contrib/unzip" "$a/contrib/utf8cpp/source" "$a/contrib/stb"
cp "$work/src/zlib/contrib/minizip/"{ioapi.c,ioapi.h,unzip.c,unzip.h,crypt.h} "$a/contrib/unzip/"
cp -r /usr/include/utf8cpp/. "$a/contrib/utf8cpp/source/"
cp /usr/include/stb/stb_image.h "$a/contrib/stb/"
# Assimp's copy split crypt.h into a .c file; zlib's keeps it all in the header.
grep -q 'contrib/unzip/crypt\.c' "$a/code/CMakeLists.txt" || die "Assimp no longer lists crypt.c"
sed -i '\#contrib/unzip/crypt\.c#d' "$a/code/CMakeLists.txt"
# Its static MinGW build would hand "-Wl,-Bstatic -lstdc++ -lwinpthread" on to
# every program linking it; the toolchain file links the runtime statically
# already, and programs are better left to choose their own link mode.
grep -q 'assimp -static-libgcc -static-libstdc++ -Wl,-Bstatic' "$a/code/CMakeLists.txt" ||
  die "Assimp no longer links MinGW's runtime itself"
sed -i '/assimp -static-libgcc -static-libstdc++ -Wl,-Bstatic/d' "$a/code/CMakeLists.txt"
log "assimp"
run cmake -S "$a" -B "$work/build/assimp" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
  -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_X_IMPORTER=ON \
  -DASSIMP_NO_EXPORT=ON -DASSIMP_BUILD_ASSIMP_TOOLS=OFF -DASSIMP_BUILD_TESTS=OFF \
  -DASSIMP_BUILD_SAMPLES=OFF -DASSIMP_BUILD_DOCS=OFF -DASSIMP_INSTALL_PDB=OFF \
  -DASSIMP_BUILD_ZLIB=OFF -DASSIMP_BUILD_MINIZIP=ON \
  -DZLIB_LIBRARY="$sysroot/lib/libz.a" -DZLIB_INCLUDE_DIR="$sysroot/include" \
  -DASSIMP_WARNINGS_AS_ERRORS=OFF -DASSIMP_IGNORE_GIT_HASH=ON -DASSIMP_INJECT_DEBUG_POSTFIX=OFF
run cmake --build "$work/build/assimp" -j"$jobs"
run env DESTDIR="$stage" cmake --install "$work/build/assimp"

# --- GoogleTest and GoogleMock, from the sources libgtest-dev ships.
log "googletest"
run cmake -S /usr/src/googletest -B "$work/build/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
  -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
run cmake --build "$work/build/googletest" -j"$jobs"
run env DESTDIR="$stage" cmake --install "$work/build/googletest"

built=$stage$prefix
for f in bin/libepoxy-0.dll lib/libepoxy.dll.a lib/pkgconfig/epoxy.pc include/epoxy/wgl.h \
         lib/libassimp.a include/assimp/Importer.hpp lib/cmake/assimp-5.2/assimpConfig.cmake \
         lib/libgtest.a lib/libgmock.a lib/libgtest_main.a lib/cmake/GTest/GTestConfig.cmake; do
  [ -e "$built/$f" ] || die "the build left no $f"
done
# The DLL must not pull MinGW's runtime DLLs in after it.
if $triple-objdump -p "$built/bin/libepoxy-0.dll" | grep 'DLL Name' | grep -Eiq 'libgcc|libstdc|winpthread'; then
  die "libepoxy-0.dll needs a MinGW runtime DLL"
fi
{ echo "key $key"; echo "$versions"; echo "$uris" | awk '{print $2, $4}'; } >"$built/windows-deps.txt"

mv "$built" "$prefix"
log "built in $((SECONDS - started)) s: $prefix"
log "ship $prefix/bin/libepoxy-0.dll beside the .exe"
echo "$prefix" >&3
