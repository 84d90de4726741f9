#!/usr/bin/env bash
# Builds the Debian package and checks it with lintian.
#   scripts/package.sh            in a clean build folder (build-pkg)
#   scripts/package.sh --in DIR   from a build folder already built
# Debian keeps games in /usr/games; the data folder is found from there too.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--in" ]; then
  build=$2
  cmake -S . -B "$build" -DCMAKE_INSTALL_BINDIR=games >/dev/null
else
  build=build-pkg
  rm -rf "$build"
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKV_TESTS=OFF -DKV_BENCH=OFF \
    -DCMAKE_INSTALL_BINDIR=games >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/kvelmar2_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/kvelmar2_*.deb)
echo "Пакет: $deb"
# Errors fail the build; warnings and notes are shown.
lintian --fail-on error --info "$deb"
