#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into BUILD_DIR and gives each a short bounded run from
# its committed seeds, then checks the golden pattern codes with this clang++ build. Exits 77 (a
# skip for CTest) where clang or libFuzzer is missing.
# The mutations follow a fixed seed, so the suite explores the same inputs on every machine and a
# failure reproduces; FUZZ_SEED=0 lets libFuzzer pick a fresh one for exploring by hand.
# Usage: [FUZZ_SEED=N] tests/fuzz/run.sh BUILD_DIR [RUNS] [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?build folder}
runs=${2:-200000}
seconds=${3:-30}
seed=${FUZZ_SEED:-20261210}
# Inputs of many kilobytes, not only of a code's length: a search that is slow on long text shows.
max_len=${FUZZ_MAX_LEN:-65536}

fuzzers=(fuzz_numbers fuzz_plotter fuzz_patternfile fuzz_patterncode)

if ! command -v clang++ >/dev/null; then
  echo "SKIP: clang++ is not installed (scripts/setup.sh installs it)"
  exit 77
fi
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
    clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null; then
  echo "SKIP: clang++ cannot link libFuzzer (install libclang-rt-14-dev)"
  exit 77
fi

[ -f "$build/build.ninja" ] ||
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"

for fuzzer in "${fuzzers[@]}"; do
  # New inputs go to a scratch folder; the committed seeds are only read.
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  echo "== $fuzzer: $runs runs or $seconds s, seed $seed"
  "$build/$fuzzer" -seed="$seed" -runs="$runs" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 \
    -artifact_prefix="$build/$fuzzer-" "$scratch" "$here/corpus/$fuzzer"
  rm -rf "$scratch"
  trap - EXIT
done

# The same build draws the golden pattern codes: clang++ must give the g++ build's pictures.
echo "== golden pattern codes drawn by the clang++ build"
"$build/golden_check" "$here/../data/golden_codes.tsv"
