// The champion's thinking on the caller's own thread: the headless runner,
// the tests and the match screen by default take it, and the plan comes
// before StartPlan returns.
#pragma once

#include "state/Ports.h"

namespace kv {

class SyncPlanner : public PlannerPort {
public:
    void StartPlan(const Module1& m, i16 p, PlanDone done) override;
    void DropPlan() override {}
};

} // namespace kv
