#!/usr/bin/env bash
# A host with seven players and eight spectators through a series, every
# machine a runner on 127.0.0.1: the host's peak memory and processor time,
# and whether all sixteen printed the same series.
#   bench/net/table_figures.sh [RUNNER] [MATCHES]
set -euo pipefail
sim=${1:-build/src/sim/kvelmar2-sim}
matches=${2:-5}
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
KVELMAR2_HOME=$work/host /usr/bin/time -f "%M %U %S %e" -o "$work/host.time" \
  "$sim" host --listen 127.0.0.1 --port "$port" --seats comp,net,net,net,net,net,net,net \
  --matches "$matches" --wait 60 --json >"$work/host.json" 2>"$work/host.err" &
until grep -q "Стол открыт" "$work/host.err" 2>/dev/null; do sleep 0.05; done
# The spectators come first, so that they see the series from its start.
for i in 1 2 3 4 5 6 7 8; do
  KVELMAR2_HOME=$work/s$i "$sim" join "127.0.0.1:$port" --watch --name "Зритель$i" --json \
    >"$work/s$i.json" 2>/dev/null &
done
sleep 0.5
for i in 1 2 3 4 5 6 7; do
  KVELMAR2_HOME=$work/p$i "$sim" join "127.0.0.1:$port" --name "Игрок$i" --json \
    >"$work/p$i.json" 2>/dev/null &
done
wait
same=yes
for f in "$work"/p*.json "$work"/s*.json; do
  cmp -s "$f" "$work/host.json" || same=no
done
read -r rss user sys wall <"$work/host.time"
echo "host: $matches matches, 7 players, 8 spectators; peak memory ${rss} KiB;" \
  "processor ${user} s user + ${sys} s system in ${wall} s; every machine printed the same: $same"
