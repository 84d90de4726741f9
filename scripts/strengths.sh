#!/usr/bin/env bash
# How often each computer strength beats a weaker one: two-player matches of the
# headless runner, the seats swapped every other match. The share is of the
# decided matches (a draw: every piece perished, or the strike limit came
# first); "Своя сгинула" counts the matches in which the stronger one's own
# piece left the table.
# Usage: scripts/strengths.sh [matches per pair (200)] [more play options...]
# KV_PAIRS picks the pairs, strong and weak by number: KV_PAIRS="3 2,2 0".
set -euo pipefail
cd "$(dirname "$0")/.."
sim=${KV_SIM:-${KV_BUILD_DIR:-build}/src/sim/kvelmar2-sim}
n=${1:-200}
shift || true
EXTRA=("$@")
names=(Новичок Любитель Мастер Чемпион)
IFS=, read -r -a pairs <<<"${KV_PAIRS:-3 2,3 1,3 0,2 1,2 0,1 0}"

printf '%-22s %7s %7s %7s %7s %7s %12s\n' "Пара" "Матчей" "Победы" "Пораж." "Ничьи" "Доля" "Своя сгинула"
for pair in "${pairs[@]}"; do
    set -- $pair
    strong=$1 weak=$2
    wins=0 losses=0 draws=0 lost=0
    for ((i = 1; i <= n; i++)); do
        if ((i % 2)); then levels="$strong,$weak" seat=1; else levels="$weak,$strong" seat=2; fi
        result=$("$sim" play --players 2 --seed "$i" --levels "$levels" --json "${EXTRA[@]}")
        winner=$(sed -n 's/.*"winner": \([-0-9]*\).*/\1/p' <<<"$result")
        alive=$(grep -o '"alive": [a-z]*' <<<"$result" | sed -n "${seat}s/.*: //p")
        if [[ $winner == "$seat" ]]; then
            wins=$((wins + 1))
        elif ((winner > 0)); then
            losses=$((losses + 1))
        else
            draws=$((draws + 1))
        fi
        [[ $alive == false ]] && lost=$((lost + 1))
    done
    decided=$((wins + losses))
    printf '%-22s %7d %7d %7d %7d %6d%% %12d\n' "${names[$strong]} - ${names[$weak]}" "$n" "$wins" \
        "$losses" "$draws" $((decided > 0 ? 100 * wins / decided : 0)) "$lost"
done
