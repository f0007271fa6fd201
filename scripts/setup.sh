#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need; installs only what is
# missing, so a second run is a quick no-op. Never asks for input: where it cannot install, it
# stops at once and names the packages that are missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libqt6sql6-sqlite libgl-dev libxcb1-dev libspng-dev zlib1g-dev libjpeg62-turbo-dev qt6-svg-dev qt6-translations-l10n
  libbenchmark-dev
  fonts-noto-cjk
  xvfb xauth xdotool imagemagick x11-utils
  clang libclang-rt-14-dev
  desktop-file-utils appstream dpkg-dev file
  librsvg2-bin openbox xscreensaver dbus-daemon
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
((${#missing[@]})) || exit 0

give_up() {
  echo "setup: $1" >&2
  echo "setup: missing packages: ${missing[*]}" >&2
  echo "setup: install them as root: apt-get install ${missing[*]}" >&2
  exit 1
}

# sudo -n fails instead of asking for a password; env carries the settings past sudo's reset.
if [ "$(id -u)" -eq 0 ]; then
  as_root=(env)
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  as_root=(sudo -n env)
else
  give_up "not root, and sudo is missing or would ask for a password"
fi
as_root+=(DEBIAN_FRONTEND=noninteractive NEEDRESTART_MODE=a)

echo "setup: installing ${missing[*]}"
"${as_root[@]}" apt-get update -qq </dev/null || give_up "apt-get update failed"
"${as_root[@]}" apt-get install -y -qq --no-install-recommends \
  -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold "${missing[@]}" </dev/null ||
  give_up "apt-get install failed"
