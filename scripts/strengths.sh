#!/usr/bin/env bash
# How often each computer strength beats a weaker one: two-player matches of the
# headless runner, the seats swapped every other match.
# Usage: scripts/strengths.sh [matches per pair (200)] [more play options...]
set -euo pipefail
cd "$(dirname "$0")/.."
sim=${KV_SIM:-${KV_BUILD_DIR:-build}/src/sim/kvelmar2-sim}
n=${1:-200}
shift || true
EXTRA=("$@")
names=(Новичок Любитель Мастер)

printf '%-22s %7s %7s %7s %7s %7s\n' "Пара" "Матчей" "Победы" "Пораж." "Ничьи" "Доля"
for pair in "2 0" "2 1" "1 0"; do
    set -- $pair
    strong=$1 weak=$2
    wins=0 losses=0 draws=0
    for ((i = 1; i <= n; i++)); do
        if ((i % 2)); then levels="$strong,$weak" seat=1; else levels="$weak,$strong" seat=2; fi
        winner=$("$sim" play --players 2 --seed "$i" --levels "$levels" --json "${EXTRA[@]}" |
            sed -n 's/.*"winner": \([-0-9]*\).*/\1/p')
        if [[ $winner == "$seat" ]]; then
            wins=$((wins + 1))
        elif ((winner > 0)); then
            losses=$((losses + 1))
        else # every piece perished, or the strike limit came first
            draws=$((draws + 1))
        fi
    done
    printf '%-22s %7d %7d %7d %7d %6d%%\n' "${names[$strong]} - ${names[$weak]}" "$n" "$wins" \
        "$losses" "$draws" $((100 * wins / n))
done
