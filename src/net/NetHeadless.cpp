#include "net/NetHeadless.h"

namespace kv::net {

NetHeadless::NetHeadless(MatchScreen& screen, VirtualScheduler& clock, Module1& m, NetMatch& net,
                         long maxStrikes)
    : screen_(screen), clock_(clock), m_(m), net_(net), maxStrikes_(maxStrikes) {}

NetHeadless::Step NetHeadless::Next() {
    if (done_) return Step::Done;
    if (!started_) {
        started_ = true;
        clock_.OnFire([this](TimerId id) { screen_.Tick(id); });
        screen_.Init();
    }
    net_.Pump();
    if (m_.RenderOn == 0) {
        done_ = true;
        return Step::Done;
    }
    if (net_.Waiting()) {
        if (!net_.Orphaned()) return Step::Waiting;
        stranded_ = done_ = true;
        return Step::Done;
    }
    const std::optional<TimerId> next = clock_.NextDue();
    // Stop at a turn's end, once the pieces of the last allowed strike are at rest.
    if (!next || (maxStrikes_ > 0 && screen_.Strikes() >= maxStrikes_ && *next == TimerId::Pause)) {
        strikeLimit_ = next.has_value();
        done_ = true;
        return Step::Done;
    }
    clock_.FireNext();
    return Step::Ticked;
}

HeadlessResult NetHeadless::Finish() {
    HeadlessResult r;
    r.initFailed = screen_.InitFailed();
    r.finished = screen_.GameOver();
    r.strikeLimit = strikeLimit_;
    screen_.Unload();
    r.strikes = screen_.Strikes();
    r.physicsTicks = screen_.PhysicsTicks();
    r.guardHits = screen_.GuardHits();
    r.busiest = screen_.BusiestStep();
    r.virtualMs = clock_.NowMs();
    return r;
}

} // namespace kv::net
