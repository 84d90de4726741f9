// The champion: its choice is the position's own, it takes the plain good
// strike and leaves the plain bad one, and it keeps to its work.
#include "ai/Champion.h"
#include "ai/CompBrain.h"
#include "persistence/SaveGame.h"
#include "physics/Strike.h"
#include "physics/Table.h"
#include "state/NullPorts.h"

#include <gtest/gtest.h>

#include <atomic>

namespace kv {
namespace {

using test::Bare;
using test::Put;

// The plan of piece p made on a copy of m, as the match makes it without spread.
Module1 Played(const Module1& m, i16 p, const PlannedStrike& plan) {
    Module1 t = m;
    t.CurG = p;
    if (plan.pot != 0)
        PotThrow(t, plan.pot, nullptr);
    else
        PushStrike(t, plan.strike);
    test::RunToRest(t, nullptr);
    return t;
}

auto Fields(const PlannedStrike& p) {
    return std::tuple(p.strike.ba, p.strike.pa, p.strike.si, p.pot);
}

// The opening of a large table with walls along its long sides and two
// obstacles by the first corner, as the game sets it up.
Module1 Opening() {
    Module1 m = Bare(2, 0, 1000, 1000);
    Put(m, 1, 30, 30);
    Put(m, 2, 970, 970);
    m.Gobla(1).Phi = 3 * m.Pi / 4;
    m.Gobla(2).Phi = -m.Pi / 4;
    test::AddObstacle(m, 80, 80);
    test::AddObstacle(m, 80, 920);
    test::AddWalls(m, 1, true);
    m.KH(1) = 1;
    m.KH(2) = 2;
    m.CurNG = 1;
    for (int k = 1; k <= 2; ++k)
        m.Gobla(k).CompControl = 1;
    return m;
}

TEST(Champion, TakesTheOpponentAtTheEdgeAndKeepsItsOwnPieceOn) {
    Module1 m = Bare(2);
    Put(m, 1, 300, 200);
    Put(m, 2, 300, 345); // in front of it, by the far edge
    m.KH(1) = 1;
    m.KH(2) = 2;
    const Module1 after = Played(m, 1, ChooseChampion(m, 1, 1));
    EXPECT_TRUE(after.Gobla(1).Life != 0 && after.Gobla(2).Life == 0);
}

// The master's strike across the table meets the obstacle and comes back over
// the edge behind it; the champion's does not. Its choice is the position's
// and the seed's alone: names and texts do not count.
TEST(Champion, LeavesTheMastersStrikeThatThrowsItsOwnPieceOffAndRepeatsItsChoice) {
    Module1 m = Opening();
    Module1 scratch = m;
    double dir = 0;
    const StrikeRecord master = ChooseStrike(scratch, 1, dir);
    ASSERT_EQ(Played(m, 1, PlannedStrike{master, 0}).Gobla(1).Life, 0);
    EXPECT_NE(Played(m, 1, ChooseChampion(m, 1, 1)).Gobla(1).Life, 0);
    // The amateur, when it does not slip, holds the same strike back.
    Rng rng(1);
    StrikeRecord a;
    do // past its slips
        a = ChooseStrikeAs(scratch, 1, kLevelAmateur, rng, dir);
    while (a.pa != master.pa);
    EXPECT_LT(a.si, master.si);
    EXPECT_NE(Played(m, 1, PlannedStrike{a, 0}).Gobla(1).Life, 0);
    m.VarK = 0.05f; // the seed draws the spreads
    const PlannedStrike plan = ChooseChampion(m, 1, 1);
    m.Gobla(1).RName = "Другое имя";
    m.HintText = "что угодно";
    EXPECT_EQ(Fields(ChooseChampion(m, 1, 1)), Fields(plan));
    const std::uint64_t seed = ChampionSeed(m);
    m.Gobla(2).Xpos += 1e-9; // another position, another seed
    EXPECT_NE(ChampionSeed(m), seed);
}

// Held back to three quarters, its strike keeps the piece on while the point
// on the rim and the direction turn together, not when the spread turns them
// apart or adds force; the amateur allows for that and holds back further.
TEST(Amateur, HoldsBackAsFarAsTheSpreadMayTurnItsStrike) {
    Module1 m = Bare(2, 0, 600, 700);
    Put(m, 1, 40, 81);
    Put(m, 2, 137, 485);
    m.KH(1) = 1;
    m.KH(2) = 2;
    m.VarK = 0.1f;
    Module1 scratch = m;
    double dir = 0;
    const StrikeRecord master = ChooseStrike(scratch, 1, dir);
    Rng rng(1), before(1);
    StrikeRecord a;
    do { // past its slips
        before = rng;
        a = ChooseStrikeAs(scratch, 1, kLevelAmateur, rng, dir);
    } while (a.pa != master.pa);
    // A caller bounded by its work, as the champion is, plays every try itself.
    int tries = 0;
    const PlayOut play = [&tries](Module1& t, i16 p, const StrikeRecord& s) {
        ++tries;
        t.CurG = p;
        PushStrike(t, s);
        test::RunToRest(t, nullptr);
        return true;
    };
    const StrikeRecord counted = ChooseStrikeAs(scratch, 1, kLevelAmateur, before, dir, play);
    EXPECT_EQ(std::tuple(counted.ba, counted.pa, counted.si), std::tuple(a.ba, a.pa, a.si));
    EXPECT_GT(tries, 5);
    const double edge = SpreadSize(m) * m.Pi / 2;
    for (double point : {-edge, edge})
        for (double turn : {-edge, edge}) {
            StrikeRecord t = a;
            t.ba += point;
            t.pa += turn;
            t.si = RoundI16(a.si * (1 + SpreadSize(m) / 2));
            EXPECT_NE(Played(m, 1, PlannedStrike{t, 0}).Gobla(1).Life, 0) << point << " " << turn;
        }
    EXPECT_NE(Played(m, 1, PlannedStrike{a, 0}).Gobla(1).Life, 0);
}

TEST(Champion, KeepsWithinItsWorkOnTheBusiestTablesAndStopsWhenTold) {
    for (const char* file : {"busiest.zvr", "wedge.zvr"}) {
        Module1 m;
        BuildShapes(m);
        NullDialogs dialogs;
        LoadGame(m, std::string(KV_BENCH_DATA) + "/" + file, dialogs);
        ASSERT_GT(m.MaxGamers, 0) << file;
        for (long long budget : {kChampionWork, 20000LL}) {
            ChampionStats st;
            ChooseChampion(m, m.CurG, 7, budget, nullptr, &st);
            EXPECT_LE(st.work, budget) << file;
            EXPECT_GT(st.strikes, 0) << file;
        }
    }
    std::atomic<bool> stop{true};
    ChampionStats st;
    ChooseChampion(Opening(), 1, 1, kChampionWork, &stop, &st);
    EXPECT_TRUE(st.stopped && st.strikes == 0);
}

} // namespace
} // namespace kv
