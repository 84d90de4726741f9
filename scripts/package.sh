#!/usr/bin/env bash
# Builds the Debian package and checks it with lintian.
#   scripts/package.sh            in a clean build folder (build-pkg)
#   scripts/package.sh --in DIR   from a build folder already built
# The package keeps its programs in /usr/games, as Debian keeps games, however
# the folder was configured (packaging/games-dir.cmake); the data folder is
# found from there too.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--in" ]; then
  build=$2
  # This script once configured the folder with its programs in games/, where
  # an install into a prefix would still put them: back to the default bin/.
  if grep -qx 'CMAKE_INSTALL_BINDIR:PATH=games' "$build/CMakeCache.txt" 2>/dev/null; then
    cmake -S . -B "$build" -UCMAKE_INSTALL_BINDIR >/dev/null
  fi
else
  build=build-pkg
  rm -rf "$build"
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKV_TESTS=OFF -DKV_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/kvelmar2_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/kvelmar2_*.deb)
echo "Пакет: $deb"
# Errors fail the build; warnings and notes are shown.
lintian --fail-on error --info "$deb"
