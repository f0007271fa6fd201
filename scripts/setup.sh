#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need; installs only what is
# missing, so a second run is a quick no-op.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev qt6-svg-dev qt6-translations-l10n
  libbenchmark-dev
  fonts-noto-cjk
  xvfb xauth xdotool imagemagick x11-utils
  clang libclang-rt-14-dev
  desktop-file-utils appstream dpkg-dev file
  librsvg2-bin openbox
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi
