# Sourced by the install and package tests: a scratch directory removed at
# exit, failures counted, and where a launcher starts the game.
#   launcher_test_setup TAG
#   started_in LAUNCHER PROGRAM [env settings...]   prints the game's working directory
launcher_test_setup() {
  scratch=$(mktemp -d "/tmp/kestrova-$1-XXXXXX")
  game=""
  failures=0
  trap launcher_test_cleanup EXIT
}

launcher_test_cleanup() {
  if [ -n "$game" ]; then kill "$game" 2>/dev/null || true; wait "$game" 2>/dev/null || true; fi
  rm -rf "$scratch"
}

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The launcher runs from /tmp; once the process has become PROGRAM, its working
# directory is where the game keeps its results.
started_in() {
  local launcher="$1" program="$2"
  shift 2
  (cd /tmp && exec env "$@" "$launcher") >"$scratch/game.log" 2>&1 &
  game=$!
  local cwd=""
  for _ in $(seq 100); do
    if [ "$(readlink "/proc/$game/exe" 2>/dev/null)" = "$program" ]; then
      cwd=$(readlink "/proc/$game/cwd")
      break
    fi
    kill -0 "$game" 2>/dev/null || break
    sleep 0.1
  done
  kill "$game" 2>/dev/null || true
  wait "$game" 2>/dev/null || true
  game=""
  echo "$cwd"
}
