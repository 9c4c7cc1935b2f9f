#!/usr/bin/env bash
# Builds the score-file fuzzer with clang into build-fuzz/ and runs it for a
# bounded time (default 60 seconds), from the committed seeds in fuzz/corpus.
# Inputs it finds new go to build-fuzz/corpus, a failing one to build-fuzz/artifacts.
#   fuzz/run.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build="${FUZZ_BUILD_DIR:-build-fuzz}"
cmake -S . -B "$build" -G Ninja -DKESTROVA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" --target kestrova_score_fuzzer
mkdir -p "$build/corpus" "$build/artifacts"
artifacts="$(cd "$build/artifacts" && pwd)/"
# The fuzzer writes the file it reads for every input; memory is the cheap place
# for that. A directory of this run's own goes, even when the fuzzer stops on a failure.
base="${TMPDIR:-/tmp}"
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then base=/dev/shm; fi
scratch=$(mktemp -d "$base/kestrova-fuzz-run-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR="$scratch"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
"$build/fuzz/kestrova_score_fuzzer" -max_total_time="$seconds" -max_len=1024 -print_final_stats=1 \
  -artifact_prefix="$artifacts" "$build/corpus" fuzz/corpus
