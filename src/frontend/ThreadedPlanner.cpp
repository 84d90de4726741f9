#include "frontend/ThreadedPlanner.h"

#include "ai/Champion.h"

namespace kv {

ThreadedPlanner::ThreadedPlanner(QObject* parent) : QObject(parent) {}

ThreadedPlanner::~ThreadedPlanner() {
    DropPlan();
    Join();
}

void ThreadedPlanner::Join() {
    if (worker_.joinable()) worker_.join();
}

void ThreadedPlanner::StartPlan(const Module1& m, i16 p, PlanDone done) {
    DropPlan();
    Join(); // a dropped search ends at its next strike
    auto stop = std::make_shared<std::atomic<bool>>(false);
    auto position = std::make_shared<const Module1>(m);
    stop_ = stop;
    done_ = std::move(done);
    const quint64 ticket = ++ticket_;
    worker_ = std::thread([this, stop, position, p, ticket] {
        const PlannedStrike plan =
            ChooseChampion(*position, p, ChampionSeed(*position), kChampionWork, stop.get());
        if (stop->load()) return;
        // The object outlives this thread (its destructor joins it first).
        QMetaObject::invokeMethod(
            this, [this, ticket, plan] { Deliver(ticket, plan); }, Qt::QueuedConnection);
    });
}

void ThreadedPlanner::DropPlan() {
    if (stop_) stop_->store(true);
    ++ticket_;
    done_ = nullptr;
}

void ThreadedPlanner::Deliver(quint64 ticket, const PlannedStrike& plan) {
    if (ticket != ticket_ || !done_) return;
    PlanDone done = std::move(done_);
    done_ = nullptr;
    Join();
    done(plan);
}

} // namespace kv
