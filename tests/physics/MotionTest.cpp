#include "physics/Table.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using test::Bare;
using test::Events;
using test::Put;

TEST(Shapes, CountsBoundsAndSampleCircles) {
    Module1 m = Bare(2);
    const int counts[7] = {2, 19, 17, 1, 0, 1, 1};
    const int bounds[7] = {40, 28, 40, 20, 0, 11, 1000000};
    for (int s = 0; s < 7; ++s) {
        EXPECT_EQ(m.Shapes[s].count, counts[s]) << s;
        EXPECT_EQ(m.Shapes[s].bound, bounds[s]) << s;
    }
    const Circle c12 = m.Shapes[1].c[12];
    EXPECT_NEAR(c12.x, -2.8, 1e-12);
    EXPECT_NEAR(c12.y, 2.8, 1e-12);
    EXPECT_NEAR(c12.r, 11.2, 1e-12);
    const Circle c5 = m.Shapes[2].c[5];
    EXPECT_DOUBLE_EQ(c5.x, -16);
    EXPECT_DOUBLE_EQ(c5.y, 16);
    EXPECT_DOUBLE_EQ(c5.r, 4);
    EXPECT_DOUBLE_EQ(m.Shapes[1].c[1].y, -14);
    EXPECT_DOUBLE_EQ(m.Shapes[1].c[11].y, 0);
}

TEST(Shapes, WorldCircleTurnsWithHeading) {
    Module1 m = Bare(2, 0);
    GoblaRec& g = m.Gobla(1);
    Put(m, 1, 100, 50);
    g.Phi = m.Pi / 2;
    const Circle c = WorldCircle(m, g, 2); // (0, -14) in the piece's frame
    EXPECT_NEAR(c.x, 114, 1e-9);
    EXPECT_NEAR(c.y, 50, 1e-9);
    EXPECT_EQ(c.r, 14);
}

TEST(Motion, FrictionStopsALoneRoundPiece) {
    Module1 m = Bare(2);
    Put(m, 1, 100, 200, 1, 0);
    Put(m, 2, 500, 200);
    PhysicsStep(m, 1.0, nullptr);
    EXPECT_DOUBLE_EQ(m.Gobla(1).Xvec, 0.96);
    const int ticks = test::RunToRest(m, nullptr);
    EXPECT_GE(ticks, 23);
    EXPECT_LE(ticks, 25);
    EXPECT_NEAR(m.Gobla(1).Xpos, 112, 0.1);
    EXPECT_EQ(m.Gobla(1).Ypos, 200);
}

TEST(Motion, SpeedAndSpinAtTheFrictionLimitStopAtOnce) {
    Module1 m = Bare(2);
    GoblaRec& g = m.Gobla(1);
    Put(m, 1, 100, 100, 2 * m.Ftr * 1.0, 0);
    g.U = 3 * m.Ftr * 1.0;
    MovePiece(m, g, 1.0, nullptr);
    EXPECT_EQ(g.Xvec, 0.0);
    EXPECT_EQ(g.U, 0.0);
    EXPECT_EQ(g.Xpos, 100); // stopped before it moves
}

TEST(Motion, SpinDecaysToZeroInNineSteps) {
    Module1 m = Bare(2);
    GoblaRec& g = m.Gobla(1);
    Put(m, 1, 100, 100);
    g.U = 0.5;
    for (int i = 0; i < 8; ++i)
        MovePiece(m, g, 1.0, nullptr);
    EXPECT_NEAR(g.U, 0.02, 1e-12);
    MovePiece(m, g, 1.0, nullptr);
    EXPECT_EQ(g.U, 0.0);
    g.U = -0.5;
    MovePiece(m, g, 1.0, nullptr);
    EXPECT_NEAR(g.U, -0.44, 1e-12);
}

TEST(Motion, HeadingWrapsOnceEachWay) {
    Module1 m = Bare(2);
    GoblaRec& g = m.Gobla(1);
    Put(m, 1, 100, 100);
    g.Phi = 6.3;
    MovePiece(m, g, 1.0, nullptr);
    EXPECT_DOUBLE_EQ(g.Phi, 6.3 - 2 * m.Pi);
    g.Phi = -6.3;
    MovePiece(m, g, 1.0, nullptr);
    EXPECT_DOUBLE_EQ(g.Phi, -6.3 + 2 * m.Pi);
    g.Phi = 6.0;
    MovePiece(m, g, 1.0, nullptr);
    EXPECT_EQ(g.Phi, 6.0);
    g.Phi = 6.0;
    g.U = -0.5; // turns the heading the other way: 6.5 - 2 pi
    MovePiece(m, g, 1.0, nullptr);
    EXPECT_NEAR(g.Phi, 6.0 + 0.44 - 2 * m.Pi, 1e-12);
}

TEST(Motion, CentreOnTheEdgeStaysBeyondItPerishes) {
    Module1 m = Bare(2);
    Events ev;
    Put(m, 1, 600, 400);
    Put(m, 2, 0, 0);
    MovePiece(m, m.Gobla(1), 1.0, &ev);
    MovePiece(m, m.Gobla(2), 1.0, &ev);
    EXPECT_TRUE(m.Gobla(1).Life);
    EXPECT_TRUE(m.Gobla(2).Life);
    Put(m, 2, 0.01, 10, -0.1, 0);
    MovePiece(m, m.Gobla(2), 1.0, &ev);
    EXPECT_FALSE(m.Gobla(2).Life);
    EXPECT_EQ(m.Gobla(2).Xpos, -100);
    EXPECT_EQ(m.Gobla(2).Ypos, -100);
    EXPECT_EQ(m.Gobla(2).Xvec, 0);
    ASSERT_EQ(ev.perished.size(), 1u);
    EXPECT_EQ(ev.perished[0], 2);
}

TEST(Motion, ObstaclesAndWallsNeverMoveOrTakeStrikes) {
    Module1 m = Bare(2);
    test::AddObstacle(m, 300, 200);
    test::AddWalls(m, 1, true);
    for (int k = 3; k <= 5; ++k) {
        GoblaRec& g = m.Gobla(k);
        g.Xvec = 5;
        g.U = 1;
        const GoblaRec before = g;
        MovePiece(m, g, 1.0, nullptr);
        Segment s{g.Xpos, g.Ypos - 20, g.Xpos + 50, g.Ypos};
        StrikePush(g, s);
        Segment c{g.Xpos, g.Ypos - 20, g.Xpos + 50, g.Ypos};
        ContactPush(g, c);
        EXPECT_EQ(g.Xpos, before.Xpos);
        EXPECT_EQ(g.Xvec, 5);
        EXPECT_EQ(g.U, 1);
    }
    EXPECT_EQ(m.Gobla(4).RName, "Stenka1");
    EXPECT_EQ(m.Gobla(4).Ypos, -1000000);
    EXPECT_EQ(m.Gobla(5).RName, "Stenka2");
    EXPECT_EQ(m.Gobla(5).Ypos, 1000400);
    EXPECT_EQ(ObjectCount(m), 5);
}

TEST(Motion, WallsOfTheFirstPosition) {
    Module1 m = Bare(3);
    test::AddWalls(m, 0, true);
    EXPECT_EQ(m.Gobla(4).Xpos, -1000000);
    EXPECT_EQ(m.Gobla(4).Ypos, 200);
    EXPECT_EQ(m.Gobla(5).Xpos, 1000600);
    EXPECT_EQ(m.Gobla(5).Model, kModelWall);
    test::AddWalls(m, 0, false);
    EXPECT_EQ(ObjectCount(m), 4);
}

TEST(Strike, ThroughTheCentreGivesSpeedWithoutSpin) {
    Module1 m = Bare(2);
    GoblaRec& g = m.Gobla(1);
    Put(m, 1, 100, 100);
    g.M = 7;
    Segment s{100, 80, 100, 30};
    StrikePush(g, s);
    EXPECT_EQ(g.Xvec, 0);
    EXPECT_EQ(g.Yvec, -10);
    EXPECT_EQ(g.U, 0);
    EXPECT_EQ(s[2], 0);
    EXPECT_EQ(s[3], -50);
}

TEST(Strike, OffCentreSpinsAndCentreStrikeStaysFinite) {
    Module1 m = Bare(2);
    GoblaRec& g = m.Gobla(1);
    Put(m, 1, 100, 100);
    Segment s{80, 100, 80, 50}; // left rim, pushed towards -y
    StrikePush(g, s);
    // r = (20, 0), d = (0, -50): U -= 0.02 * (0 - 20 * -50) / 20
    EXPECT_DOUBLE_EQ(g.U, -1.0);
    GoblaRec h = m.Gobla(2);
    Segment c{h.Xpos, h.Ypos, h.Xpos + 10, h.Ypos};
    StrikePush(h, c);
    EXPECT_EQ(h.U, 0);
    EXPECT_EQ(h.Xvec, 2);
}

TEST(Sound, KnockOnlyOnAWholeContactFreeStep) {
    Module1 m = Bare(2);
    Events ev;
    Put(m, 1, 100, 100);
    Put(m, 2, 400, 100);
    m.ContactSound = kTrue;
    PhysicsStep(m, 0.5, &ev);
    EXPECT_EQ(ev.knocks, 0);
    EXPECT_TRUE(m.ContactSound);
    PhysicsStep(m, 1.0, &ev);
    EXPECT_EQ(ev.knocks, 1);
    EXPECT_FALSE(m.ContactSound);
    PhysicsStep(m, 1.0, &ev);
    EXPECT_EQ(ev.knocks, 1);
}

TEST(Sound, ContactIsHeardInTheNextQuietTick) {
    Module1 m = Bare(2);
    Events ev;
    Put(m, 1, 100, 100, 3, 0);
    Put(m, 2, 142, 100);
    PhysicsStep(m, 1.0, &ev);
    EXPECT_EQ(ev.knocks, 0);
    EXPECT_TRUE(m.ContactSound);
    test::RunToRest(m, &ev);
    EXPECT_EQ(ev.knocks, 1);
}

} // namespace
} // namespace kv
