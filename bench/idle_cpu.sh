#!/usr/bin/env bash
# Processor share of the running game while nobody touches it, measured over
# a few seconds in a real X window (Xvfb). Usage: bench/idle_cpu.sh [build dir] [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
seconds="${2:-5}"
exe="$(realpath -m "$build/kestrova")"
[ -x "$exe" ] || { echo "build the game first ($exe)" >&2; exit 1; }

measure() {
  local dir; dir=$(mktemp -d)
  (cd "$dir" && exec "$exe") &
  local pid=$!
  sleep 2  # start-up is not what is measured here
  local tck; tck=$(getconf CLK_TCK)
  [ -e "/proc/$pid/stat" ] || { echo "the game did not start" >&2; return 1; }
  local before; before=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  local t0; t0=$(date +%s.%N)
  sleep "$seconds"
  local after; after=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  local t1; t1=$(date +%s.%N)
  awk -v a="$after" -v b="$before" -v t0="$t0" -v t1="$t1" -v tck="$tck" \
    'BEGIN { printf "idle CPU share: %.1f%% of one core over %.1f s\n", 100 * (a - b) / tck / (t1 - t0), t1 - t0 }'
  wmctrl -c Kestrova 2>/dev/null || kill "$pid"
  wait "$pid" 2>/dev/null || true
  rm -rf "$dir"
}
export -f measure
export exe seconds
bash scripts/with-display.sh bash -c measure
