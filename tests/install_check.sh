#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that a Linux desktop finds the program:
# the executable, a valid desktop entry with the Chinese name, and the icon in every size.
# Usage: tests/install_check.sh BUILD_DIR
set -euo pipefail
build=${1:?build folder}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null

[ -x "$prefix/bin/pattern-designer" ] || fail "bin/pattern-designer missing or not executable"

desktop="$prefix/share/applications/org.chenglan.patterndesigner.desktop"
if [ -f "$desktop" ]; then
  for line in 'Name=澄岚数学图案自动设计器' 'Name[zh_CN]=澄岚数学图案自动设计器' \
              'Exec=pattern-designer' 'Icon=pattern-designer' 'Categories=Graphics;Education;'; do
    grep -qxF "$line" "$desktop" || fail "desktop entry lacks '$line'"
  done
  grep -q '^Comment=' "$desktop" || fail "desktop entry lacks an English Comment"
  grep -q '^Comment\[zh_CN\]=' "$desktop" || fail "desktop entry lacks a Chinese Comment"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the entry"
  else
    echo "note: desktop-file-validate not installed, entry checked by its lines only"
  fi
else
  fail "share/applications/org.chenglan.patterndesigner.desktop missing"
fi

for size in 16 22 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/pattern-designer.png"
  if [ ! -f "$icon" ]; then
    fail "icon ${size}x${size} missing"
    continue
  fi
  # PNG signature, then the IHDR width and height as big-endian 32-bit numbers.
  header=$(od -An -tx1 -N24 "$icon" | tr -d ' \n')
  [ "${header:0:16}" = 89504e470d0a1a0a ] || fail "icon ${size}x${size} is not a PNG"
  expected=$(printf '%08x%08x' "$size" "$size")
  [ "${header:32:16}" = "$expected" ] || fail "icon ${size}x${size} has the wrong dimensions"
done

if ((failures)); then
  echo "$failures install check(s) failed"
  exit 1
fi
echo "install check passed"
