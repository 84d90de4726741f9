// The six timers of the match screen as real Qt timers.
#pragma once

#include "state/Ports.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <functional>

namespace kv {

class QtTimers : public QObject, public TimerPort {
    Q_OBJECT
public:
    explicit QtTimers(std::function<void(TimerId)> tick, QObject* parent = nullptr);
    void SetTimer(TimerId id, bool enabled, int intervalMs) override;
    void StopAll();
    bool Active(TimerId id) const;
    int Interval(TimerId id) const;

private:
    std::array<QTimer, kTimerCount> timers_;
    std::function<void(TimerId)> tick_;
};

} // namespace kv
