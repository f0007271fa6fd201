#!/usr/bin/env bash
# Proves the Debian package on a throw-away Debian 12 machine: builds the .deb, removes every
# package the build brought in, installs the .deb with apt-get (which must fetch what it depends
# on) and starts the installed program under Xvfb. It purges packages, so it refuses to run
# unless DESIGNER_THROWAWAY_MACHINE=1. From a checkout:
#   ../shared/tools/fresh-machine.sh 'DESIGNER_THROWAWAY_MACHINE=1 scripts/package-proof.sh'
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${DESIGNER_THROWAWAY_MACHINE:-0}" = 1 ] || { echo "package-proof: only on a throw-away machine" >&2; exit 2; }
export DEBIAN_FRONTEND=noninteractive
scripts/setup.sh >/dev/null
cmake -S . -B build -G Ninja -DDESIGNER_BENCH=OFF >/dev/null
cmake --build build --target pattern-designer >/dev/null
(cd build && cpack -G DEB >/dev/null)
cp build/pattern-designer_*.deb /tmp/
# Take away everything the build brought in, so only the package's own dependencies remain.
apt-get purge -y -qq qt6-base-dev qt6-svg-dev qt6-translations-l10n qt6-qpa-plugins fonts-noto-cjk libbenchmark-dev clang build-essential cmake >/dev/null
apt-get autoremove -y -qq >/dev/null
dpkg -l | grep -c libqt6 || true
apt-get install -y -qq /tmp/pattern-designer_*.deb >/dev/null
dpkg -s pattern-designer | grep -E "^(Status|Depends)"
set +e
xvfb-run -a -s "-screen 0 1440x900x24" timeout 6 pattern-designer
rc=$?
echo "installed program exit: $rc (124 = still running after 6 s)"
test $rc -eq 124
