#!/usr/bin/env bash
# Packs the build with cpack into a Debian package and checks what a user gets from it: the
# program, the desktop entry, the metainfo, the icons, and dependencies found from the binary.
# Usage: tests/package_check.sh BUILD_DIR. Exits 77 (skipped) without cpack or dpkg-deb.
set -euo pipefail
build=${1:?build folder}
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/pattern-designer_*_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "FAIL: no pattern-designer .deb made"; exit 1; }

[ "$(dpkg-deb -f "$deb" Package)" = pattern-designer ] || fail "package name is not pattern-designer"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "no description"
depends=$(dpkg-deb -f "$deb" Depends)
# Package names only, one a line (alternatives split too).
names=$(tr ',|' '\n\n' <<<"$depends" | awk '{print $1}')
# From the binary (shlibdeps), then what the program loads at run time.
for package in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6 qt6-qpa-plugins qt6-translations-l10n libqt6sql6-sqlite; do
  grep -qxF "$package" <<<"$names" || fail "Depends lacks $package: $depends"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
app=org.chenglan.patterndesigner
for file in usr/bin/pattern-designer usr/share/applications/$app.desktop usr/share/metainfo/$app.metainfo.xml; do
  grep -qx "\./$file" <<<"$contents" || fail "$file missing from the package"
done
for file in usr/libexec/xscreensaver/pattern-designer usr/share/xscreensaver/config/pattern-designer.xml; do
  grep -qx "\./$file" <<<"$contents" || fail "$file missing from the package"
done
for size in 16 22 24 32 48 64 128 256; do
  grep -qx "\./usr/share/icons/hicolor/${size}x${size}/apps/pattern-designer.png" <<<"$contents" ||
    fail "icon ${size}x${size} missing from the package"
done

dpkg-deb -x "$deb" "$out/root"
[ -x "$out/root/usr/bin/pattern-designer" ] || fail "the program is not executable"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$out/root/usr/share/metainfo/$app.metainfo.xml" || fail "appstreamcli rejects the metainfo"
else
  echo "note: appstreamcli not installed, metainfo not validated"
fi
# The packaged program starts with the libraries its dependencies bring (libspng, Qt SQL) and
# knows its command line.
QT_QPA_PLATFORM=offscreen "$out/root/usr/bin/pattern-designer" --help >"$out/help.txt" 2>&1 ||
  fail "the packaged program does not start: $(head -c 300 "$out/help.txt")"
grep -q -- '--code' "$out/help.txt" || fail "the packaged program's --help lacks --code"
# xscreensaver finds the program through the link, and its settings description is XML it can read.
[ "$(readlink "$out/root/usr/libexec/xscreensaver/pattern-designer")" = ../../bin/pattern-designer ] ||
  fail "the xscreensaver link does not lead to the program"
grep -q '<command arg="--root"/>' "$out/root/usr/share/xscreensaver/config/pattern-designer.xml" ||
  fail "the xscreensaver settings do not run the program in the screensaver's window"
grep -q -- '--window-id' "$out/help.txt" || fail "the packaged program's --help lacks --window-id"
# The metainfo launches the desktop entry that is in the package.
grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$out/root/usr/share/metainfo/$app.metainfo.xml" ||
  fail "metainfo does not launch $app.desktop"

if ((failures)); then
  echo "$failures package check(s) failed"
  exit 1
fi
echo "package check passed: $(basename "$deb")"
