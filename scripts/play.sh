#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the game.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
if [ -x build/src/app/kvelmar2 ]; then
  exec build/src/app/kvelmar2 "$@"
fi
exec build/src/sim/kvelmar2-sim play --players 4 "$@"
