#!/usr/bin/env bash
# Takes the screenshots of docs/ from the built game under a virtual display:
#   scripts/screenshots.sh [GAME-BINARY]   (build/src/app/kvelmar2 by default)
# Needs ImageMagick's import (apt-get install imagemagick).
set -euo pipefail
cd "$(dirname "$0")/.."
binary=$(realpath "${1:-build/src/app/kvelmar2}")
mkdir -p docs
xvfb-run -a -s '-screen 0 1920x1080x24' \
  tests/e2e/run.sh scripts/screenshots.py "$binary" "$PWD/docs"
