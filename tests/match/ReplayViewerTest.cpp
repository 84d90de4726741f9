// The replay viewer: pause, next strike and speed change when the picture
// moves, never what the recording plays out.
#include "MatchRig.h"

#include <gtest/gtest.h>

#include <functional>

namespace kv::test {
namespace {

using Outcome = decltype(std::declval<Rig>().Ended());

// A computer match of four recorded, and its steps.
std::vector<ReplayStepRec> Record(Outcome& out) {
    Rig r(4, true);
    r.m.IsCompHOD = kFalse;
    r.Start();
    RunHeadless(*r.s, r.clock, r.m, 200);
    out = r.Ended();
    return r.replay.written;
}

// Plays the steps back; `during` runs after every timer tick.
Outcome Play(const std::vector<ReplayStepRec>& steps, const std::function<void(Rig&)>& start,
             const std::function<void(Rig&)>& during) {
    Rig r(4, true);
    r.Playback(steps, false);
    r.Start();
    if (start) start(r);
    RunHeadless(*r.s, r.clock, r.m, 0, 600000, [&] {
        if (during) during(r);
    });
    return r.Ended();
}

TEST(ReplayViewer, EverySpeedPauseAndSkipEndsAsTheMatchEndedAndPauseHoldsTheTable) {
    Outcome recorded;
    const std::vector<ReplayStepRec> steps = Record(recorded);
    ASSERT_GE(steps.size(), 3U);
    ASSERT_GE(std::get<0>(recorded), 1);

    EXPECT_EQ(Play(steps, {}, {}), recorded);
    for (int presses : {1, 2, 3}) {
        const Outcome o = Play(steps,
                               [presses](Rig& r) {
                                   for (int k = 0; k < presses; ++k)
                                       r.s->KeyDown(Key::X);
                                   EXPECT_EQ(r.s->ReplaySpeed(), presses == 3 ? 1 : 1 << presses);
                               },
                               {});
        EXPECT_EQ(o, recorded) << presses << " presses of X";
    }
    long skips = 0;
    EXPECT_EQ(Play(steps, {},
                   [&](Rig& r) {
                       if (r.s->Phase() == TurnPhase::Struck && r.clock.Enabled(TimerId::Run)) {
                           r.s->KeyDown(Key::N);
                           ++skips;
                       }
                   }),
              recorded);
    EXPECT_GT(skips, 0);
    // Paused a while on every other tick: the match waits, then goes on the same.
    long ticks = 0;
    EXPECT_EQ(Play(steps, {},
                   [&](Rig& r) {
                       if (++ticks % 7 == 0) r.s->KeyDown(Key::P);
                   }),
              recorded);

    // The status counts the strikes; a pause holds the table still.
    Rig r(4, true);
    r.Playback(steps, false);
    r.Start();
    EXPECT_EQ(r.m.StatusText.rfind("Повтор: удар 1", 0), 0U) << r.m.StatusText;
    r.s->KeyDown(Key::P);
    EXPECT_TRUE(r.s->ReplayPaused());
    const double x = r.m.Gobla(1).Xpos, y = r.m.Gobla(1).Ypos;
    const long held = r.s->PhysicsTicks();
    r.clock.Advance(5000);
    EXPECT_EQ(r.s->PhysicsTicks(), held) << "nothing moves while paused";
    EXPECT_EQ(std::tuple(r.m.Gobla(1).Xpos, r.m.Gobla(1).Ypos), std::tuple(x, y));
    r.s->KeyDown(Key::P);
    r.s->KeyDown(Key::N);
    EXPECT_EQ(r.m.StatusText.rfind("Повтор: удар 2", 0), 0U) << "N goes to the next strike";

    // Outside a replay the viewer's keys do nothing of the kind.
    Rig live(2, false);
    live.Start();
    live.s->KeyDown(Key::X);
    live.s->KeyDown(Key::P);
    EXPECT_EQ(std::tuple(live.s->ReplaySpeed(), live.s->ReplayPaused()), std::tuple(1, false));
}

} // namespace
} // namespace kv::test
