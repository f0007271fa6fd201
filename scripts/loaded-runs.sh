#!/usr/bin/env bash
# Runs the tests of build/ several times in a row while two busy loops load both cores, and stops
# at the first run that fails: the suite must pass on a busy machine too. The load ends with the
# script, also when it is interrupted.
#
#   scripts/loaded-runs.sh              # ten runs of the whole suite but the fuzzing
#   scripts/loaded-runs.sh 3 -R 'tst_mainwindow|tst_picker'   # three runs of the tests named
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-10}
(($# == 0)) || shift
(($#)) || set -- -E '^fuzz$'
export QT_QPA_PLATFORM=offscreen

load=()
stop_load() {
  ((${#load[@]})) || return 0
  kill "${load[@]}" 2>/dev/null || true
  wait "${load[@]}" 2>/dev/null || true
}
trap stop_load EXIT
trap 'exit 130' INT TERM
for _ in 1 2; do
  (while :; do :; done) &
  load+=($!)
done

for run in $(seq "$runs"); do
  echo "== loaded run $run of $runs"
  if ! ctest --test-dir build -j2 --output-on-failure "$@"; then
    echo "loaded-runs: run $run of $runs failed"
    exit 1
  fi
done
echo "loaded-runs: all $runs runs passed"
