#include "ai/CompBrain.h"
#include "physics/Strike.h"
#include "physics/Table.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using test::Bare;
using test::Put;

double Aim(Module1& m, int p = 1) {
    double dir = 99;
    ChooseStrike(m, static_cast<i16>(p), dir);
    return dir;
}

TEST(Target, NearestByRoundedDistanceAndNeverTheOwnTeam) {
    Module1 m = Bare(3);
    const double Pi = m.Pi;
    Put(m, 1, 300, 200);
    Put(m, 2, 400.4, 200);
    Put(m, 3, 300, 300.2); // rounds to the same distance: the earlier piece wins
    EXPECT_NEAR(Aim(m), -3 * Pi / 2, 1e-12);
    Put(m, 3, 300, 299.9);
    EXPECT_NEAR(Aim(m), -Pi, 1e-12);
    m.ZI = kTrue;
    m.Gobla(3).Com = 0; // own team, closer
    m.Gobla(2).Com = 1;
    EXPECT_NEAR(Aim(m), -3 * Pi / 2, 1e-12);
    m.Gobla(2).Life = kFalse; // no target left
    double dir = 0;
    EXPECT_EQ(ChooseStrike(m, 1, dir).si, 0);
    EXPECT_EQ(m.StrikeForce, 0);
    m.ZI = 5; // neither flag value: every piece skipped
    m.Gobla(2).Life = kTrue;
    EXPECT_EQ(ChooseStrike(m, 1, dir).si + ChooseStrike(m, 0, dir).si, 0);
}

TEST(Force, EnoughToDriveTheTargetOverTheEdgeOrAlongAWall) {
    struct Case {
        bool border;
        i16 mode, both;
        double x1, y1, x2, y2;
        int want;
    };
    // March of 500 to x = 600: 3 sqrt(2 * 0.02 * 9.81 * 500) = 42. A wall on the
    // far edge asks for full force; the path along a wall runs to the next edge.
    const Case cases[] = {
        {false, 0, 0, 100, 200, 300, 200, 42}, {true, 0, 1, 100, 200, 300, 200, 100},
        {true, 0, 0, 100, 200, 300, 200, 42},  {true, 1, 1, 100, 200, 300, 200, 42},
        {true, 1, 0, 100, 300, 200, 200, 50},  {false, 1, 0, 100, 300, 200, 200, 39}};
    for (const Case& c : cases) {
        Module1 m = Bare(2);
        m.Border = Flag(c.border);
        m.BordMode = c.mode;
        m.BordSimm = c.both;
        Put(m, 1, c.x1, c.y1);
        Put(m, 2, c.x2, c.y2);
        double dir = 0;
        const StrikeRecord s = ChooseStrike(m, 1, dir);
        EXPECT_NEAR(s.si, c.want, 1) << c.border << c.mode << c.both << " " << c.y1;
        EXPECT_EQ(m.StrikeForce, s.si);
    }
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

TEST(Outline, StrikePointPerModel) {
    struct Case {
        i16 model;
        double a, phi, rho;
    };
    const double Pi = Module1{}.Pi, r2 = std::sqrt(2.0);
    const Case cases[] = {{0, Pi / 4, 0, 28 * std::cos(Pi / 4)},    // the tail circle's rim
                          {0, 6, 0.1, 20},                          // delta 5.9: not reduced
                          {1, 2 * Pi - 0.1, 0, 28 * std::cos(0.1)}, // reduced to -0.1
                          {2, Pi / 4 + 0.3, 0.3, 20 * r2}, // the corner, turned with the piece
                          {3, 1.234, -2, 20},
                          {4, 1.0, 0, 0}}; // no outline: the centre
    Module1 m = Bare(2);
    GoblaRec g = m.Gobla(1);
    g.Xpos = g.Ypos = 100;
    for (const Case& c : cases) {
        g.Model = c.model;
        g.Phi = c.phi;
        double px = 0, py = 0;
        StrikePoint(m, g, c.a, px, py);
        EXPECT_NEAR(Hypot(px - 100, py - 100), c.rho, 1e-9) << c.model << " " << c.a;
        if (c.rho > 0) {
            EXPECT_NEAR((px - 100) / c.rho, std::sin(c.a), 1e-9); // along (sin a, -cos a)
            EXPECT_NEAR((py - 100) / c.rho, -std::cos(c.a), 1e-9);
        }
    }
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

// The weaker strengths: their strikes, drawn from the match's generator.
TEST(Strength, MasterIsTheRuleAndDrawsNothing) {
    Module1 m = Bare(3);
    Put(m, 1, 300, 200);
    Put(m, 2, 420, 260);
    Put(m, 3, 100, 380);
    double d1 = 0, d2 = 0;
    const StrikeRecord rule = ChooseStrike(m, 1, d1);
    Rng rng(7);
    const StrikeRecord master = ChooseStrikeAs(m, 1, kLevelMaster, rng, d2);
    EXPECT_EQ(std::tuple(master.ba, master.pa, master.si, d2),
              std::tuple(rule.ba, rule.pa, rule.si, d1));
    EXPECT_EQ(rng.State(), Rng(7).State());
}

TEST(Strength, WeakerPlayersStrayWithinTheirBoundsAndRepeatBySeed) {
    Module1 m = Bare(3);
    Put(m, 1, 300, 200);
    Put(m, 2, 420, 260); // nearest
    Put(m, 3, 100, 380);
    double dir = 0;
    const StrikeRecord at2 = ChooseStrike(m, 1, dir);
    m.Gobla(2).Life = kFalse;
    const StrikeRecord at3 = ChooseStrike(m, 1, dir);
    m.Gobla(2).Life = kTrue;
    struct Bounds {
        i16 level;
        double turn, low, high;
    };
    const Bounds levels[] = {{kLevelAmateur, 0.10, 0.60, 1.05}, {kLevelNovice, 0.45, 0.80, 2.50}};
    for (const auto& [level, turn, low, high] : levels) {
        Rng rng(level + 1);
        int nearest = 0, other = 0;
        for (int i = 0; i < 300; ++i) {
            Rng again = rng;
            double d = 0, d2 = 0;
            const StrikeRecord s = ChooseStrikeAs(m, 1, level, rng, d);
            const StrikeRecord t = ChooseStrikeAs(m, 1, level, again, d2);
            ASSERT_EQ(std::tuple(s.ba, s.pa, s.si), std::tuple(t.ba, t.pa, t.si));
            EXPECT_EQ(std::tuple(d, m.StrikeForce), std::tuple(s.pa, s.si));
            EXPECT_NEAR(s.ba - s.pa, at2.ba - at2.pa, 1e-9); // no spin
            const StrikeRecord& base = std::fabs(s.pa - at2.pa) <= turn ? at2 : at3;
            (&base == &at2 ? nearest : other)++;
            EXPECT_LE(std::fabs(s.pa - base.pa), turn + 1e-12) << level;
            EXPECT_LE(s.si, std::min(100, static_cast<int>(std::ceil(base.si * high))));
            EXPECT_GE(s.si, static_cast<int>(std::floor(base.si * low)));
        }
        // The amateur takes the nearest more often than not; the novice either.
        EXPECT_GT(other, 30) << level;
        if (level == kLevelAmateur) {
            EXPECT_GT(nearest, 2 * other);
        }
    }
}

} // namespace
} // namespace kv
