#include "match/Planner.h"

#include "ai/Champion.h"

namespace kv {

void SyncPlanner::StartPlan(const Module1& m, i16 p, PlanDone done) {
    const PlannedStrike plan = ChooseChampion(m, p, ChampionSeed(m));
    done(plan);
}

} // namespace kv
