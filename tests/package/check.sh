#!/usr/bin/env bash
# Checks a built package as it installs: unpacked into a temporary root, its
# programs in usr/games, its desktop entry and metainfo validated there, the
# unpacked runner plays a match, and the unpacked game (under xvfb-run)
# reaches its main menu.
#   tests/package/check.sh PACKAGE.deb
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
deb=$(realpath "$1")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
id=org.orvelsoft.kvelmar2
desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"
for size in 48x48 64x64 128x128 256x256 scalable; do
  ls "$root/usr/share/icons/hicolor/$size/apps/$id".* >/dev/null
done
man -l "$root/usr/share/man/man6/kvelmar2-sim.6.gz" >/dev/null

# Debian keeps games in /usr/games, and nothing of them in /usr/bin.
bin=$root/usr/games
for program in kvelmar2 kvelmar2-sim; do
  [ -x "$bin/$program" ] || { echo "usr/games/$program is missing" >&2; exit 1; }
done
if [ -e "$root/usr/bin" ]; then
  echo "the package has usr/bin:" $(ls -A "$root/usr/bin") >&2
  exit 1
fi
export KVELMAR2_HOME=$root/home
KVELMAR2_DATA='' "$bin/kvelmar2-sim" series --matches 2 --players 4 --json >"$root/series.json"
grep -q '"matches"' "$root/series.json"
echo "kvelmar2-sim: серия из двух матчей сыграна"

# A display number of its own: the one the test run before has just given
# back may still be going away.
xvfb-run -a -n 150 -s '-screen 0 1280x1024x24' \
  "$here/../e2e/run.sh" "$here/../e2e/installed_e2e.py" "$bin/kvelmar2"
echo "Пакет проверен: $deb"
