#!/usr/bin/env bash
# Where one start of a program goes, up to its first picture of the court:
# its system calls timed by strace, cut at the calls that mark each step.
# strace slows every call, so the spans are longer than a plain start's; the
# share of each is what to compare. Needs $DISPLAY (run it under
# scripts/with-display.sh) and a build with the first-picture shim.
# Usage: bench/startup_profile.sh BUILD_DIR [PROGRAM]
set -euo pipefail
build="$(realpath "$1")"
program="$(realpath "${2:-$build/kestrova}")"
shim="$build/bench/libkestrova_first_picture.so"
command -v strace >/dev/null || { echo "needs strace" >&2; exit 2; }
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
(
  cd "$dir"
  export LD_PRELOAD="$shim" KESTROVA_FIRST_PICTURE="$dir/first-picture" KESTROVA_EXEC_US="${EPOCHREALTIME/./}"
  timeout 5 strace -f -tt -e trace=execve,openat,connect -o "$dir/trace" "$program" >/dev/null 2>&1 || true
)
awk '
  { split($2, t, ":"); s = t[1] * 3600 + t[2] * 60 + t[3] }
  /execve\(/ && !start { start = s }
  function mark(name) { if (!(name in at)) { at[name] = s; order[++n] = name } }
  /X11-unix/ { mark("display") }
  /libGL\.so/ { mark("opengl") }
  /mesa_shader_cache\/index/ { mark("context") }
  /first-picture/ { mark("picture") }
  /\.sf2"/ && !/ENOENT/ { sf2 = s }
  END {
    names["display"] = "loading libraries, up to the display"
    names["opengl"] = "window system and window, up to OpenGL"
    names["context"] = "OpenGL context"
    names["picture"] = "shaders, scene and the first picture"
    last = start
    for (i = 1; i <= n; ++i) {
      printf "%-45s %6.1f ms\n", names[order[i]], (at[order[i]] - last) * 1000
      last = at[order[i]]
    }
    printf "%-45s %6.1f ms\n", "total, under strace", (last - start) * 1000
    if (sf2) printf "%-45s %+6.1f ms\n", "sound font read, from the first picture", (sf2 - at["picture"]) * 1000
  }' "$dir/trace"
