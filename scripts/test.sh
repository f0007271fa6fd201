#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless: first the normal
# build (with a short fuzzing run and the install check), then the same suite built with the
# address and undefined-behaviour sanitizers in build-asan/, then the tests that start threads
# built with the thread sanitizer in build-tsan/. DESIGNER_QUICK=1 skips the fuzzing and the
# sanitizer passes. Prints how long each stage took.
set -euo pipefail
cd "$(dirname "$0")/.."

timings=()
report() {
  ((${#timings[@]})) || return 0
  echo "test: time per stage"
  printf '  %s\n' "${timings[@]}"
}
trap report EXIT

# Runs one stage and notes its time, also when it fails.
stage() {
  local name=$1
  shift
  local start=$SECONDS rc=0
  echo "== test: $name"
  "$@" || rc=$?
  timings+=("$(printf '%-28s %4d s%s' "$name" $((SECONDS - start)) "$( ((rc)) && echo ' (failed)')")")
  return "$rc"
}

quick=${DESIGNER_QUICK:-0}
export QT_QPA_PLATFORM=offscreen

stage "set-up" scripts/setup.sh
stage "build" scripts/build.sh
if [ "$quick" = 1 ]; then
  echo "test: fuzzing skipped (DESIGNER_QUICK=1)"
  stage "tests" ctest --test-dir build --output-on-failure -j2 -E '^fuzz$'
else
  stage "tests and fuzzing" ctest --test-dir build --output-on-failure -j2
fi

if [ "$quick" = 1 ]; then
  echo "test: sanitizer runs skipped (DESIGNER_QUICK=1)"
  exit 0
fi

[ -f build-asan/build.ninja ] ||
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDESIGNER_SANITIZE=ON -DDESIGNER_BENCH=OFF >/dev/null
stage "sanitizer build" cmake --build build-asan
# The sanitizer options (any finding fails) are set on each test by tests/CMakeLists.txt; the
# install check and the fuzzing ran in the first pass already.
stage "sanitizer tests" ctest --test-dir build-asan --output-on-failure -j2

# The tests whose code starts threads: saves and exports on a worker (canvas menu, export dialog,
# the windows and the kept slides saving), thumbnails drawn off the user-interface thread
# (gallery), and the session bus's thread (full screen). Only these are built into build-tsan/.
threaded_tests=(tst_canvasmenu tst_exportdialog tst_fullcodewindows tst_slidehistory tst_favouritesgallery
  tst_fullscreen)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
[ -f build-tsan/build.ninja ] ||
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDESIGNER_SANITIZE_THREAD=ON -DDESIGNER_BENCH=OFF "${launcher[@]}" >/dev/null
stage "thread sanitizer build" cmake --build build-tsan --target "${threaded_tests[@]}"
# Any report fails its test (TSAN_OPTIONS from tests/CMakeLists.txt); tst_fullscreen_ratio2 too.
stage "thread sanitizer tests" ctest --test-dir build-tsan --output-on-failure -j2 \
  -R "^($(IFS='|'; echo "${threaded_tests[*]}"))"
