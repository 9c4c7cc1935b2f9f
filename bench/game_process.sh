#!/usr/bin/env bash
# The started game as a player meets it, in a real X window: the time from
# exec to its first presented picture of the court (and, started in turn with
# it, a minimal OpenGL program's to its first picture), its processor share
# (all threads) while the ball waits and nothing is touched and while it is in
# play, and its peak resident memory after start-up and after some play. The game is not changed: a
# preloaded library (bench/first_picture.cpp) notes the first picture.
# Needs $DISPLAY and a window manager: bench/run.sh runs it under scripts/with-display.sh.
# Usage: bench/game_process.sh BUILD_DIR IDLE_SECONDS PLAY_SECONDS
# Prints "RESULT <name> <value>" lines.
set -euo pipefail
build="$1"
idle="$2"
play="$3"
exe="$(realpath -m "$build/kestrova")"
shim="$(realpath -m "$build/bench/libkestrova_first_picture.so")"
minimal="$(realpath -m "$build/bench/kestrova_minimal_gl")"
[ -x "$exe" ] && [ -f "$shim" ] && [ -x "$minimal" ] ||
  { echo "build kestrova, kestrova_minimal_gl and kestrova_first_picture first" >&2; exit 1; }

dir="$(mktemp -d)"
pid=""
cleanup() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$dir"
}
trap cleanup EXIT

alive() { [ -e "/proc/$pid/stat" ] && [ "$(awk '{print $3}' "/proc/$pid/stat")" != Z ]; }
cpu_ticks() { sed 's/.*) //' "/proc/$pid/stat" | awk '{print $12 + $13}'; }  # utime + stime, every thread
peak_mb() { awk '/^VmHWM:/ {printf "%.1f", $2 / 1024}' "/proc/$pid/status"; }

# The pointer rests outside where the window will open: no motion reaches the game.
xdotool mousemove 0 0

# Starts program $2 in directory $1 with the shim preloaded, which writes
# $1/first-picture; the program's output goes to $1/log and $! is its process.
start_timed() {
  (
    cd "$1"
    export LD_PRELOAD="$shim" KESTROVA_FIRST_PICTURE="$1/first-picture"
    # The launcher's clock just before exec: the shim subtracts it.
    local stamp="${EPOCHREALTIME:-}"
    if [ -n "$stamp" ]; then stamp="${stamp/./}"; else stamp="$(date +%s%6N)"; fi
    export KESTROVA_EXEC_US="$stamp"
    exec "$2"
  ) >"$1/log" 2>&1 &
}

# Milliseconds from exec to the first picture of program $1, timed by the shim,
# which both programs carry alike; the program is ended after it.
first_picture_ms() {
  local d p
  d="$(mktemp -d)"
  start_timed "$d" "$1"
  p=$!
  for _ in $(seq 1 1500); do
    [ -s "$d/first-picture" ] && break
    kill -0 "$p" 2>/dev/null || break
    sleep 0.02
  done
  kill "$p" 2>/dev/null || true
  wait "$p" 2>/dev/null || true
  awk '$1 == "since_exec_ms" {print $2}' "$d/first-picture" 2>/dev/null || true
  rm -rf "$d"
}

# Started in turn, so a change of load hits both alike; medians.
starts="${KESTROVA_BENCH_STARTS:-7}"
game_starts=()
minimal_starts=()
for _ in $(seq 1 "$starts"); do
  game_starts+=("$(first_picture_ms "$exe")")
  minimal_starts+=("$(first_picture_ms "$minimal")")
  sleep 0.5
done
median() { printf '%s\n' "$@" | grep . | sort -n | awk '{v[NR] = $1} END { if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
g="$(median "${game_starts[@]}")"
m="$(median "${minimal_starts[@]}")"
if [ -n "$g" ] && [ -n "$m" ]; then
  echo "RESULT startup_turns_game_ms $g"
  echo "RESULT startup_minimal_ms $m"
  awk -v g="$g" -v m="$m" 'BEGIN { printf "RESULT startup_ratio %.3f\n", g / m }'
fi

start_timed "$dir" "$exe"
pid=$!

for _ in $(seq 1 1500); do
  [ -s "$dir/first-picture" ] && break
  alive || { echo "the game ended before its first picture:" >&2; cat "$dir/log" >&2; exit 1; }
  sleep 0.02
done
[ -s "$dir/first-picture" ] || { echo "no picture of the court within 30 s" >&2; exit 1; }
awk '$1 == "since_exec_ms" {print "RESULT startup_ms", $2} $1 == "since_start_ms" {print "RESULT startup_kernel_ms", $2}' \
  "$dir/first-picture"

wid="$(xdotool search --sync --onlyvisible --name '^Kestrova$' | head -n 1)"
[ -n "$wid" ] || { echo "no game window" >&2; exit 1; }
# Focus, so the game runs rather than pauses; focus is no input to the game.
xdotool windowactivate --sync "$wid" 2>/dev/null || true
sleep 2  # start-up is over; the ball waits

echo "RESULT peak_memory_startup_mb $(peak_mb)"
before="$(cpu_ticks)"
t0="$EPOCHREALTIME"
sleep "$idle"
after="$(cpu_ticks)"
t1="$EPOCHREALTIME"
alive || { echo "the game ended while idle" >&2; exit 1; }
awk -v a="$after" -v b="$before" -v t0="$t0" -v t1="$t1" -v tck="$(getconf CLK_TCK)" \
  'BEGIN { printf "RESULT idle_cpu_percent %.2f\nRESULT idle_seconds %.1f\n", 100 * (a - b) / tck / (t1 - t0), t1 - t0 }'

# Some play: the pointer circles over the court and the left button hits
# whenever the ball is in front of the box.
eval "$(xdotool getwindowgeometry --shell "$wid")"
cx=$((WIDTH / 2))
cy=$((HEIGHT / 2))
xdotool mousemove --window "$wid" "$cx" "$cy" click 1
before="$(cpu_ticks)"
t0="$EPOCHREALTIME"
steps=$(awk -v s="$play" 'BEGIN { printf "%d", s * 10 }')
for i in $(seq 1 "$steps"); do
  read -r x y < <(awk -v i="$i" -v cx="$cx" -v cy="$cy" \
    'BEGIN { printf "%d %d\n", cx + cx / 3 * cos(i / 5), cy + cy / 3 * sin(i / 5) }')
  if [ $((i % 3)) -eq 0 ]; then
    xdotool mousemove --window "$wid" "$x" "$y" click 1
  else
    xdotool mousemove --window "$wid" "$x" "$y"
  fi
  sleep 0.1
done
alive || { echo "the game ended during play" >&2; exit 1; }
after="$(cpu_ticks)"
t1="$EPOCHREALTIME"
awk -v a="$after" -v b="$before" -v t0="$t0" -v t1="$t1" -v tck="$(getconf CLK_TCK)" \
  'BEGIN { printf "RESULT play_cpu_percent %.2f\n", 100 * (a - b) / tck / (t1 - t0) }'
echo "RESULT peak_memory_play_mb $(peak_mb)"
