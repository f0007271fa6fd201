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
# The sanitizer options (any finding fails) are set on each test by tests/CMakeLists.txt.
ctest --test-dir build-asan --output-on-failure -j2
