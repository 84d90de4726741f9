// The computer player at the edges of its rules and its weaker strengths; its
// ordinary strikes are pinned through whole matches in tests/sim/SimPlayTest.cpp.
#include "ai/CompBrain.h"
#include "physics/Strike.h"
#include "physics/Table.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kv {
namespace {

using test::Bare;
using test::Put;

double Aim(Module1& m, int p = 1) {
    double dir = 99;
    ChooseStrike(m, static_cast<i16>(p), dir);
    return dir;
}

// Ties of the rounded distance go to the earlier piece; the own team is never
// a target; with none left, or a team flag that is neither, no strike.
TEST(Target, NearestByRoundedDistanceAndNeverTheOwnTeam) {
    Module1 m = Bare(3);
    const double Pi = m.Pi;
    Put(m, 1, 300, 200);
    Put(m, 2, 400.4, 200);
    Put(m, 3, 300, 300.2); // rounds to the same distance: the earlier piece wins
    EXPECT_NEAR(Aim(m), -3 * Pi / 2, 1e-12);
    m.ZI = kTrue;
    m.Gobla(3).Com = 0; // own team
    m.Gobla(2).Com = 1;
    m.Gobla(2).Life = kFalse; // no target left
    double dir = 0;
    EXPECT_EQ(std::tuple(ChooseStrike(m, 1, dir).si, m.StrikeForce), std::tuple(0, 0));
    m.ZI = 5;
    m.Gobla(2).Life = kTrue;
    EXPECT_EQ(ChooseStrike(m, 1, dir).si + ChooseStrike(m, 0, dir).si, 0);
}

TEST(Force, PieceOffTheTableOrNegativeFrictionStaysInRange) {
    Module1 m = Bare(2);
    Put(m, 1, std::nan(""), 200);
    Put(m, 2, 300, 200);
    double dir = 0;
    const i16 f = ChooseStrike(m, 1, dir).si;
    EXPECT_TRUE(f >= 0 && f <= 100) << f;
    m.Ftr = -1;
    Put(m, 1, 100, 200);
    EXPECT_EQ(ChooseStrike(m, 1, dir).si, 0);
}

TEST(Spread, AngleAndForceStayInRange) {
    Module1 m = Bare(2);
    const double Pi = m.Pi;
    Rng rng(3);
    m.VarK = 0;
    EXPECT_EQ(std::tuple(SpreadAngle(m, rng, 1.25), SpreadForce(m, rng, 60)), std::tuple(1.25, 60));
    m.VarK = 0.1f;
    for (int t = 0; t < 2000; ++t) {
        EXPECT_LE(std::abs(SpreadAngle(m, rng, 1.0) - 1.0), 0.05 * Pi * 1.0000001);
        const i16 f = SpreadForce(m, rng, 100);
        EXPECT_TRUE(f >= 95 && f <= 105) << f;
        const double up = SpreadAngle(m, rng, 2 * Pi); // wraps once past 2 pi
        EXPECT_TRUE(up <= 2 * Pi && (up >= 2 * Pi - 0.16 || (up >= 0 && up <= 0.16))) << up;
    }
    m.VarK = 0.5f; // out of range: no spread
    EXPECT_EQ(SpreadForce(m, rng, 60), 60);
}

// The strengths' strikes, drawn from the match's generator: the master's is the
// rule's and draws nothing; a weaker one's repeats with the seed.
TEST(Strength, MasterIsTheRuleAndWeakerPlayersRepeatBySeed) {
    Module1 m = Bare(3);
    Put(m, 1, 300, 200);
    Put(m, 2, 420, 260); // nearest
    Put(m, 3, 100, 380);
    double dir = 0, masterDir = 0;
    const StrikeRecord at2 = ChooseStrike(m, 1, dir);
    Rng drawn(7);
    const StrikeRecord master = ChooseStrikeAs(m, 1, kLevelMaster, drawn, masterDir);
    EXPECT_EQ(std::tuple(master.ba, master.pa, master.si, masterDir),
              std::tuple(at2.ba, at2.pa, at2.si, dir));
    EXPECT_EQ(drawn.State(), Rng(7).State());
    for (i16 level : {kLevelAmateur, kLevelNovice}) {
        Rng rng(level + 1);
        int slips = 0;
        for (int i = 0; i < 100; ++i) {
            Rng again = rng;
            double d = 0, d2 = 0;
            const StrikeRecord s = ChooseStrikeAs(m, 1, level, rng, d);
            const StrikeRecord t = ChooseStrikeAs(m, 1, level, again, d2);
            ASSERT_EQ(std::tuple(s.ba, s.pa, s.si), std::tuple(t.ba, t.pa, t.si));
            EXPECT_EQ(std::tuple(d, m.StrikeForce), std::tuple(s.pa, s.si));
            // No spin: the point turns with the direction, either kept within a turn.
            EXPECT_NEAR(std::remainder((s.ba - s.pa) - (at2.ba - at2.pa), 2 * m.Pi), 0, 1e-9);
            slips += s.pa != at2.pa;
        }
        EXPECT_GT(slips, level == kLevelNovice ? 99 : 20) << "a novice always slips";
    }
    // With one target, a novice's strike goes the wrong way: almost straight back.
    m.Gobla(3).Life = 0;
    Rng rng(3);
    for (int i = 0; i < 100; ++i) {
        double d = 0;
        const StrikeRecord s = ChooseStrikeAs(m, 1, kLevelNovice, rng, d);
        EXPECT_GE(std::fabs(std::remainder(s.pa - at2.pa, 2 * m.Pi)), 2.6) << s.pa;
    }
}

} // namespace
} // namespace kv
