#!/usr/bin/env bash
# Builds the benchmarks, runs every one in a real X window (Xvfb with openbox),
# and the web build's in headless Chromium (bench/web/), and prints one table:
# quantity, value, target, met.
#   bench/run.sh            the full run, a few minutes
#   bench/run.sh --smoke    each measurement very briefly; fails only when a
#                           benchmark cannot run, never on a figure
# BUILD_DIR names the build directory (default: build); it is configured with
# the benchmarks on and keeps its other settings. WEB_BUILD_DIR names the
# Emscripten build directory (default: build-web-bench).
set -euo pipefail
cd "$(dirname "$0")/.."

smoke=""
case "${1:-}" in
  "") ;;
  --smoke) smoke="--smoke" ;;
  *) echo "usage: bench/run.sh [--smoke]" >&2; exit 2 ;;
esac
build="${BUILD_DIR:-build}"
web_build="${WEB_BUILD_DIR:-build-web-bench}"

load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
bash scripts/setup.sh
cmake -S . -B "$build" -G Ninja -DKESTROVA_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target kestrova kestrova_bench_game kestrova_first_picture kestrova_minimal_gl >/dev/null
build_type="$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")"
# The project sets RelWithDebInfo itself when the cache names no type.
build_type="${build_type:-RelWithDebInfo}"
if grep -q '^KESTROVA_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  echo "$build is a sanitizer build: its figures would mean nothing, and the preloaded library cannot load" >&2
  exit 2
fi

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
web_built=yes
bash bench/web/build.sh "$web_build" >"$out/web.build" 2>&1 || web_built=""
export SDL_VIDEODRIVER=x11
unset LD_PRELOAD
if [ -n "$smoke" ]; then idle=2; play=2; else idle=10; play=10; fi

failed=()
# Two 1920 x 1080 windows side by side need a screen wider than any desk's.
load_start="$(cut -d' ' -f1-3 /proc/loadavg)"
if ! KESTROVA_XVFB_SCREEN=4096x1200x24 bash scripts/with-display.sh \
    "$build/bench/kestrova_bench_game" all $smoke >"$out/game" 2>"$out/game.err"; then
  failed+=("kestrova_bench_game")
fi
# The game on a common desktop: its default window is two thirds of it, 1280 x 720.
if ! KESTROVA_XVFB_SCREEN=1920x1080x24 bash scripts/with-display.sh \
    bash bench/game_process.sh "$build" "$idle" "$play" >"$out/process" 2>"$out/process.err"; then
  failed+=("bench/game_process.sh")
fi
# Headless Chromium needs no display. Its tools are checked first: a wrong
# tool would give false figures rather than fail.
if [ -n "$web_built" ]; then
  node bench/web/bench_test.mjs >"$out/web.test" 2>&1 || failed+=("bench/web/bench_test.mjs")
  node bench/web/bench.mjs "$web_build" $smoke >"$out/web" 2>"$out/web.err" || failed+=("bench/web/bench.mjs")
else
  failed+=("bench/web/build.sh")
  : >"$out/web"
fi
load_end="$(cut -d' ' -f1-3 /proc/loadavg)"

cat "$out/game" "$out/process" "$out/web" >"$out/all"
value() { awk -v k="$1" '$1 == "RESULT" && $2 == k {print $3}' "$out/all"; }
info() { awk -v k="$1" '$1 == "INFO" && $2 == k {$1 = $2 = ""; sub(/^ +/, ""); print; exit}' "$out/all"; }

# row QUANTITY VALUE UNIT TARGET-COMPARISON TARGET-VALUE
# The comparison is "<", "<=" or ">"; an empty one means there is no target.
rows=()
row() {
  local quantity="$1" v="$2" unit="$3" cmp="${4:-}" limit="${5:-}" shown target met
  if [ -z "$v" ]; then
    shown="(not measured)"
    met="-"
  else
    shown="$(awk -v v="$v" 'BEGIN { printf (v >= 100 ? "%.0f" : (v >= 10 ? "%.1f" : "%.2f")), v }') $unit"
    met="-"
    if [ -n "$cmp" ]; then
      met="$(awk -v v="$v" -v l="$limit" -v c="$cmp" 'BEGIN { ok = c == "<" ? v < l : (c == "<=" ? v <= l : v > l); print ok ? "yes" : "no" }')"
    fi
  fi
  target="-"
  [ -n "$cmp" ] && target="$cmp $limit $unit"
  rows+=("$quantity|$shown|$target|$met")
}

for size in 640x480 1280x720 1920x1080; do
  row "level 2 frame $size, game" "$(value "frame_${size}_game_ms")" ms
  row "level 2 frame $size, bare OpenGL" "$(value "frame_${size}_bare_ms")" ms
  row "level 2 frame $size, game / bare" "$(value "frame_${size}_ratio")" x "<=" 1.00
done
row "frame in play 1280x720 (ball, racket, brick every 10th)" "$(value play_frame_ms)" ms
row "  its processor time in the game's thread (306 bricks)" "$(value play_cpu_ms)" ms "<" 0.1
row "  of which walking and collecting the scene" "$(value play_collect_us)" us
for count in 100 306 1000 3000 10000; do
  row "frame 1280x720 with $count bricks, game" "$(value "bricks_${count}_ms")" ms
  row "frame 1280x720 with $count bricks, bare OpenGL" "$(value "bricks_${count}_bare_ms")" ms
  row "frame 1280x720 with $count bricks, game / bare" "$(value "bricks_${count}_ratio")" x "<" 1.2
done
row "one game tick (OnTick, ball in flight)" "$(value tick_us)" us "<" 5
row "idle CPU, whole process, ${idle} s" "$(value idle_cpu_percent)" "% of a core" "<" 1
row "CPU in play, whole process, ${play} s" "$(value play_cpu_percent)" "% of a core"
row "start-up to first picture of the court" "$(value startup_ms)" ms
row "start-up in turns: game (median)" "$(value startup_turns_game_ms)" ms
row "start-up in turns: minimal OpenGL program (median)" "$(value startup_minimal_ms)" ms
row "start-up, game / minimal" "$(value startup_ratio)" x "<=" 1.15
row "peak resident memory after start-up" "$(value peak_memory_startup_mb)" MB
row "peak resident memory after ${play} s of play" "$(value peak_memory_play_mb)" MB
for size in 640x480 1280x720 1920x1080; do
  row "web: level 2 frame $size, game" "$(value "web_frame_${size}_game_ms")" ms
  row "web: level 2 frame $size, bare WebGL 2" "$(value "web_frame_${size}_bare_ms")" ms
  row "web: level 2 frame $size, game / bare" "$(value "web_frame_${size}_ratio")" x "<=" 1.05
done
web_starts="$(value web_startup_starts)"
row "web: start-up to first picture, game's page (median of ${web_starts:-?})" "$(value web_startup_game_ms)" ms
row "web: start-up to first picture, minimal page (median of ${web_starts:-?})" "$(value web_startup_minimal_ms)" ms
row "web: start-up, game / minimal" "$(value web_startup_ratio)" x "<=" 1.5
row "web: first visit, fetched before the first picture (gzip)" "$(value web_first_visit_mb)" MB "<" 3
row "web:   of which by a worker (the offline copy)" "$(value web_first_visit_worker_mb)" MB
row "web: fetched after the first picture (synthesiser, sound font)" "$(value web_after_first_picture_mb)" MB
row "web: idle CPU, all the browser's processes, ${idle} s" "$(value web_idle_cpu_percent)" "% of a core" "<" 1
row "web:   the same with the minimal page" "$(value web_idle_minimal_cpu_percent)" "% of a core"

echo "Kestrova benchmarks${smoke:+ (smoke run: figures are not measurements)}"
echo "commit $(git rev-parse --short HEAD 2>/dev/null || echo unknown), build ${build_type:-unknown} in $build, $(date -u +%Y-%m-%dT%H:%MZ)"
echo "machine: $(nproc) CPUs, $(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -n 1), renderer $(info renderer || true)"
echo "web: $(info web_browser || true), WebGL renderer $(info web_renderer || true)"
echo "load average (1/5/15 min): $load_before before building, $load_start at start, $load_end at the end"
printf '%s\n' "${rows[@]}" | awk -F'|' '
  { q[NR] = $1; v[NR] = $2; t[NR] = $3; m[NR] = $4
    if (length($1) > wq) wq = length($1); if (length($2) > wv) wv = length($2); if (length($3) > wt) wt = length($3) }
  END {
    printf "| %-*s | %-*s | %-*s | %s |\n", wq, "quantity", wv, "value", wt, "target", "met?"
    printf "|%s|%s|%s|------|\n", sprintf("%*s", wq + 2, "") , sprintf("%*s", wv + 2, ""), sprintf("%*s", wt + 2, "")
    for (i = 1; i <= NR; i++) printf "| %-*s | %-*s | %-*s | %s |\n", wq, q[i], wv, v[i], wt, t[i], m[i]
  }' | sed '2s/ /-/g'

if [ ${#failed[@]} -gt 0 ]; then
  for f in "${failed[@]}"; do
    echo "FAILED: $f" >&2
  done
  echo "--- kestrova_bench_game stderr ---" >&2
  grep -v '^ALSA lib' "$out/game.err" >&2 || true
  echo "--- bench/game_process.sh stderr ---" >&2
  grep -v '^ALSA lib' "$out/process.err" >&2 || true
  echo "--- bench/web/build.sh (last lines) ---" >&2
  tail -n 30 "$out/web.build" >&2 || true
  echo "--- bench/web/bench_test.mjs and bench/web/bench.mjs stderr ---" >&2
  cat "$out/web.test" "$out/web.err" >&2 2>/dev/null || true
  exit 1
fi
