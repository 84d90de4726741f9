// The champion's turn: the screen asks for a plan, keeps the turn while it
// comes, and makes it as any computer strike; a plan still coming when the
// match closes is dropped.
#include "MatchRig.h"

#include <gtest/gtest.h>

#include <utility>

namespace kv::test {
namespace {

// Plans come when the test says so.
struct LatePlanner : PlannerPort {
    void StartPlan(const Module1&, i16 p, PlanDone d) override {
        asked.push_back(p);
        done = std::move(d);
    }
    void DropPlan() override { ++dropped; }
    void Answer(const PlannedStrike& plan) { std::exchange(done, nullptr)(plan); }
    std::vector<i16> asked;
    int dropped = 0;
    PlanDone done;
};

struct ChampionRig : Rig {
    LatePlanner planner;
    explicit ChampionRig(bool paused = false) : Rig(2, true) {
        m.CompLevel(1) = kLevelChampion;
        m.IsCompHOD = Flag(paused);
        s->SetPlanner(planner);
    }
    bool Says(const char* part) const { return m.StatusText.find(part) != std::string::npos; }
};

PlannedStrike Strike(double dir, i16 force) {
    return PlannedStrike{StrikeRecord{dir, dir, force}, 0};
}

TEST(ChampionTurn, TheTurnWaitsForThePlanAndKeysCannotTakeIt) {
    ChampionRig r;
    r.Start();
    EXPECT_EQ(r.planner.asked, std::vector<i16>{1});
    EXPECT_TRUE(r.s->Thinking() && r.s->Phase() == TurnPhase::Think && r.Says("обдумывает"));
    // Keys that would strike or bring the pot down on an aim phase do nothing.
    r.Press(Scan::G);
    r.Charge(10);
    r.s->KeyDown(Key::Enter);
    EXPECT_EQ(std::tuple(r.s->Strikes(), r.s->Phase(), r.replay.written.size()),
              std::tuple(0, TurnPhase::Think, 0u));
    r.planner.Answer(Strike(3.14159, 10));
    EXPECT_EQ(std::tuple(r.s->Thinking(), r.s->Strikes(), r.s->Phase()),
              std::tuple(false, 1, TurnPhase::Struck));
    ASSERT_EQ(r.replay.written.size(), 1u);
    EXPECT_EQ(r.replay.written[0].strike.si, 10); // no spread on this table
    // The next turn is the master's: no plan is asked for.
    while (r.s->Strikes() < 2 && r.clock.FireNext()) {
    }
    EXPECT_EQ(std::tuple(r.planner.asked.size(), r.m.CurG), std::tuple(1u, 2));
}

TEST(ChampionTurn, ThePauseWaitsForEnterAfterThePlanOrStrikesAsSoonAsItComes) {
    ChampionRig after(true), before(true), off(true), pot;
    for (ChampionRig* r : {&after, &before, &off, &pot})
        r->Start();
    after.planner.Answer(Strike(0, 40));
    EXPECT_TRUE(after.Says("ENTER") && after.s->Strikes() == 0);
    after.s->KeyDown(Key::Enter);
    EXPECT_EQ(after.s->Strikes(), 1);
    before.s->KeyDown(Key::Enter);
    EXPECT_EQ(before.s->Strikes(), 0);
    before.planner.Answer(Strike(0, 40));
    EXPECT_EQ(before.s->Strikes(), 1);
    // The pause switched off while it thinks: the plan comes as an unpaused one.
    off.s->KeyDown(Key::F6);
    EXPECT_EQ(std::tuple(off.m.IsCompHOD, off.s->Strikes(), off.s->Thinking()),
              std::tuple(0, 0, true));
    off.planner.Answer(Strike(0, 40));
    EXPECT_EQ(off.s->Strikes(), 1);
    // A pot is brought down and recorded as the player's pot is.
    pot.planner.Answer(PlannedStrike{StrikeRecord{}, 70});
    EXPECT_EQ(std::tuple(pot.s->Phase(), pot.replay.written.at(0).pot),
              std::tuple(TurnPhase::PotFall, 70));
    EXPECT_TRUE(pot.clock.Enabled(TimerId::Gor));
}

TEST(ChampionTurn, APlanStillComingIsDroppedWhenTheMatchCloses) {
    ChampionRig r, gone;
    r.Start();
    const PlanDone late = r.planner.done;
    r.m.RenderOn = kFalse;
    r.s->Unload();
    late(PlannedStrike{StrikeRecord{0, 0, 100}, 0}); // too late: nothing is struck or recorded
    EXPECT_EQ(std::tuple(r.planner.dropped, r.s->Strikes(), r.replay.written.size()),
              std::tuple(1, 0, 0u));
    gone.Start();
    gone.s.reset(); // the window went without unloading
    EXPECT_EQ(gone.planner.dropped, 1);
}

} // namespace
} // namespace kv::test
