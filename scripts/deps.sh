#!/usr/bin/env bash
# Installs every Debian package the editor, its tools and its tests need.
# Does nothing when they are all present already.
set -euo pipefail
PACKAGES=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev qt6-translations-l10n libgl1-mesa-dev
  libhidapi-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  python3 python3-fonttools python3-pil gifsicle
  libgif-dev
  libx11-dev libxtst-dev
  clang libclang-rt-14-dev
  xvfb xauth imagemagick
  ser2net
  dpkg-dev file lintian desktop-file-utils appstream shared-mime-info
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
