#include "match/Headless.h"

#include "match/VirtualClock.h"

namespace kv {

// ---------------------------------------------------------------- headless driver

HeadlessResult RunHeadless(MatchScreen& screen, VirtualScheduler& clock, Module1& m,
                           long maxStrikes, long long maxIdleMs,
                           const std::function<void()>& afterTick) {
    HeadlessResult r;
    clock.OnFire([&screen](TimerId id) { screen.Tick(id); });
    screen.Init();
    long lastStrikes = screen.Strikes();
    long long lastStrikeMs = clock.NowMs();
    while (m.RenderOn != 0) {
        std::optional<TimerId> next = clock.NextDue();
        if (!next) break;
        // Stop at a turn's end, once the pieces of the last allowed strike are at rest.
        if (maxStrikes > 0 && screen.Strikes() >= maxStrikes && *next == TimerId::Pause) {
            r.strikeLimit = true;
            break;
        }
        clock.FireNext();
        if (afterTick) afterTick();
        if (screen.Strikes() != lastStrikes) {
            lastStrikes = screen.Strikes();
            lastStrikeMs = clock.NowMs();
        } else if (maxIdleMs > 0 && clock.NowMs() - lastStrikeMs > maxIdleMs) {
            r.idleLimit = true;
            break;
        }
    }
    r.initFailed = screen.InitFailed();
    r.finished = screen.GameOver();
    screen.Unload();
    r.strikes = screen.Strikes();
    r.physicsTicks = screen.PhysicsTicks();
    r.guardHits = screen.GuardHits();
    r.busiest = screen.BusiestStep();
    r.virtualMs = clock.NowMs();
    return r;
}

} // namespace kv
