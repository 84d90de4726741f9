#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail

pkgs=(
  cmake make g++ clang libclang-rt-14-dev pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  # the exactly rounded sine, cosine and arc tangent of the core
  libmpfr-dev
  qt6-base-dev libqt6opengl6-dev libassimp-dev libopenal-dev libgl-dev libgl1-mesa-dri libglx-mesa0
  libgif-dev xvfb xauth fonts-dejavu-core qt6-translations-l10n
  # the end-to-end tests drive the game through the accessibility interface
  dbus-x11 at-spi2-core python3-pyatspi gir1.2-atspi-2.0 xdotool
  # the Debian package and its checks
  dpkg-dev fakeroot lintian desktop-file-utils appstream man-db
)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Устанавливаются пакеты: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
