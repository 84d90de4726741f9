#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test: the full build under a
# virtual display, the core under AddressSanitizer and UndefinedBehaviorSanitizer,
# the Debian package built and checked, the determinism tests in a Debug
# build, and the file-reader fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)

echo "== Сборка и тесты (RelWithDebInfo)"
scripts/build.sh
xvfb-run -a -s '-screen 0 1280x1024x24' ctest --test-dir build --output-on-failure -j"$jobs"

echo "== Пакет Debian из той же сборки: lintian, распаковка, запуск"
scripts/package.sh --in build
tests/package/check.sh build/kvelmar2_*.deb

echo "== Ядро под AddressSanitizer и UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKV_GUI=OFF -DKV_BENCH=OFF -DKV_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

if [ -x scripts/fuzz.sh ]; then
  echo "== Фаззинг читателей файлов"
  scripts/fuzz.sh "${KV_FUZZ_SECONDS:-30}"
fi
