#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless: first the normal
# build (with a short fuzzing run and the install check), then the same suite built with the
# address and undefined-behaviour sanitizers in build-asan/. DESIGNER_QUICK=1 skips the second.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2

if [ "${DESIGNER_QUICK:-0}" = 1 ]; then
  echo "test: sanitizer run skipped (DESIGNER_QUICK=1)"
  exit 0
fi

[ -f build-asan/build.ninja ] ||
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDESIGNER_SANITIZE=ON -DDESIGNER_BENCH=OFF >/dev/null
cmake --build build-asan
# Any finding fails its test: stop at the first error, report leaks at exit.
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1:check_initialization_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
ctest --test-dir build-asan --output-on-failure -j2
