#include "frontend/QtTimers.h"

namespace kv {

QtTimers::QtTimers(std::function<void(TimerId)> tick, QObject* parent)
    : QObject(parent), tick_(std::move(tick)) {
    for (int i = 0; i < kTimerCount; ++i) {
        QTimer& t = timers_[static_cast<std::size_t>(i)];
        t.setTimerType(Qt::PreciseTimer);
        connect(&t, &QTimer::timeout, this, [this, i] { tick_(static_cast<TimerId>(i)); });
    }
}

void QtTimers::SetTimer(TimerId id, bool enabled, int intervalMs) {
    QTimer& t = timers_[static_cast<std::size_t>(id)];
    // A new interval restarts a running timer's count; enabling a running one does not.
    if (t.interval() != intervalMs) t.setInterval(intervalMs);
    if (enabled && !t.isActive()) t.start();
    if (!enabled) t.stop();
}

void QtTimers::StopAll() {
    for (QTimer& t : timers_)
        t.stop();
}

bool QtTimers::Active(TimerId id) const {
    return timers_[static_cast<std::size_t>(id)].isActive();
}

int QtTimers::Interval(TimerId id) const {
    return timers_[static_cast<std::size_t>(id)].interval();
}

} // namespace kv
