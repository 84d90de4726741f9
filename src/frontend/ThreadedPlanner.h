// The champion thinks on a thread of its own while the window goes on drawing
// and taking keys; its plan comes back on the window's thread. A plan dropped
// meanwhile never comes, and its search stops at the next strike it would try.
#pragma once

#include "state/Ports.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <thread>

namespace kv {

class ThreadedPlanner : public QObject, public PlannerPort {
    Q_OBJECT
public:
    explicit ThreadedPlanner(QObject* parent = nullptr);
    // Waits for the search still running, if any; it has been told to stop.
    ~ThreadedPlanner() override;

    void StartPlan(const Module1& m, i16 p, PlanDone done) override;
    void DropPlan() override;

private:
    void Deliver(quint64 ticket, const PlannedStrike& plan);
    void Join();

    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> stop_;
    PlanDone done_;
    quint64 ticket_ = 0; // answers to an older question are ignored
};

} // namespace kv
