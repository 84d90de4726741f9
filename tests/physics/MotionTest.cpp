#include "physics/Table.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using test::Bare;
using test::Events;
using test::Put;

TEST(Shapes, CountsBoundsSampleCirclesAndTurning) {
    Module1 m = Bare(2, 0);
    const int counts[7] = {2, 19, 17, 1, 0, 1, 1};
    const int bounds[7] = {40, 28, 40, 20, 0, 11, 1000000};
    for (int s = 0; s < 7; ++s) {
        EXPECT_EQ(m.Shapes[s].count, counts[s]) << s;
        EXPECT_EQ(m.Shapes[s].bound, bounds[s]) << s;
    }
    const Circle c12 = m.Shapes[1].c[12], c5 = m.Shapes[2].c[5];
    EXPECT_NEAR(c12.x, -2.8, 1e-12);
    EXPECT_NEAR(c12.y, 2.8, 1e-12);
    EXPECT_NEAR(c12.r, 11.2, 1e-12);
    EXPECT_EQ(c5.x, -16);
    EXPECT_EQ(c5.y, 16);
    EXPECT_EQ(c5.r, 4);
    EXPECT_EQ(m.Shapes[1].c[1].y, -14);
    EXPECT_EQ(m.Shapes[1].c[11].y, 0);
    // A world circle turns with the heading: (0, -14) at pi/2 lies to the right.
    Put(m, 1, 100, 50);
    m.Gobla(1).Phi = m.Pi / 2;
    const Circle w = WorldCircle(m, m.Gobla(1), 2);
    EXPECT_NEAR(w.x, 114, 1e-9);
    EXPECT_NEAR(w.y, 50, 1e-9);
    EXPECT_EQ(w.r, 14);
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
    // Speed and spin at the friction limit stop at once, before moving.
    GoblaRec& g = m.Gobla(1);
    Put(m, 1, 100, 100, 2 * m.Ftr, 0);
    g.U = 3 * m.Ftr;
    MovePiece(m, g, 1.0, nullptr);
    EXPECT_EQ(g.Xvec, 0.0);
    EXPECT_EQ(g.U, 0.0);
    EXPECT_EQ(g.Xpos, 100);
}

TEST(Motion, SpinDecaysAndHeadingWrapsOnceEachWay) {
    Module1 m = Bare(2);
    GoblaRec& g = m.Gobla(1);
    Put(m, 1, 100, 100);
    g.U = 0.5;
    for (int i = 0; i < 8; ++i)
        MovePiece(m, g, 1.0, nullptr);
    EXPECT_NEAR(g.U, 0.02, 1e-12);
    MovePiece(m, g, 1.0, nullptr);
    EXPECT_EQ(g.U, 0.0);
    struct Case {
        double phi, u, want;
    };
    const double P2 = 2 * m.Pi;
    const Case cases[] = {
        {6.3, 0, 6.3 - P2}, {-6.3, 0, -6.3 + P2}, {6.0, 0, 6.0}, {6.0, -0.5, 6.0 + 0.44 - P2}};
    for (const Case& c : cases) {
        g.Phi = c.phi;
        g.U = c.u;
        MovePiece(m, g, 1.0, nullptr);
        EXPECT_NEAR(g.Phi, c.want, 1e-12) << c.phi << " " << c.u;
    }
    EXPECT_NEAR(g.U, -0.44, 1e-12);
}

TEST(Motion, CentreOnTheEdgeStaysBeyondItPerishes) {
    Module1 m = Bare(2);
    Events ev;
    Put(m, 1, 600, 400);
    Put(m, 2, 0, 0);
    MovePiece(m, m.Gobla(1), 1.0, &ev);
    MovePiece(m, m.Gobla(2), 1.0, &ev);
    EXPECT_TRUE(m.Gobla(1).Life && m.Gobla(2).Life);
    Put(m, 2, 0.01, 10, -0.1, 0);
    MovePiece(m, m.Gobla(2), 1.0, &ev);
    EXPECT_FALSE(m.Gobla(2).Life);
    EXPECT_EQ(m.Gobla(2).Xpos, -100);
    EXPECT_EQ(m.Gobla(2).Ypos, -100);
    EXPECT_EQ(m.Gobla(2).Xvec, 0);
    EXPECT_EQ(ev.perished, std::vector<i16>{2});
}

TEST(Motion, ObstaclesAndWallsNeverMoveOrTakeStrikes) {
    Module1 m = Bare(2);
    test::AddObstacle(m, 300, 200);
    test::AddWalls(m, 1, true);
    for (int k = 3; k <= 5; ++k) {
        GoblaRec& g = m.Gobla(k);
        g.Xvec = 5;
        g.U = 1;
        const double x = g.Xpos;
        MovePiece(m, g, 1.0, nullptr);
        Segment s{g.Xpos, g.Ypos - 20, g.Xpos + 50, g.Ypos}, c = s;
        StrikePush(g, s);
        ContactPush(g, c);
        EXPECT_EQ(g.Xpos, x);
        EXPECT_EQ(g.Xvec, 5);
        EXPECT_EQ(g.U, 1);
    }
    EXPECT_EQ(m.Gobla(4).RName, "Stenka1");
    EXPECT_EQ(m.Gobla(4).Ypos, -1000000);
    EXPECT_EQ(m.Gobla(5).RName, "Stenka2");
    EXPECT_EQ(m.Gobla(5).Ypos, 1000400);
    EXPECT_EQ(ObjectCount(m), 5);
    // The first wall position stands along y, beyond x = 0 and x = MaxX.
    Module1 w = Bare(3);
    test::AddWalls(w, 0, true);
    EXPECT_EQ(w.Gobla(4).Xpos, -1000000);
    EXPECT_EQ(w.Gobla(4).Ypos, 200);
    EXPECT_EQ(w.Gobla(5).Xpos, 1000600);
    EXPECT_EQ(w.Gobla(5).Model, kModelWall);
    test::AddWalls(w, 0, false);
    EXPECT_EQ(ObjectCount(w), 4);
}

TEST(Strike, CentreGivesSpeedOffCentreGivesSpin) {
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
    Put(m, 1, 100, 100);
    Segment l{80, 100, 80, 50}; // left rim: r = (20, 0), d = (0, -50)
    StrikePush(g, l);
    EXPECT_DOUBLE_EQ(g.U, -1.0);
    // A strike point on the centre itself stays finite, without spin.
    GoblaRec h = m.Gobla(2);
    Segment c{h.Xpos, h.Ypos, h.Xpos + 10, h.Ypos};
    StrikePush(h, c);
    EXPECT_EQ(h.U, 0);
    EXPECT_EQ(h.Xvec, 2);
}

TEST(Sound, KnockOnlyOnAWholeQuietStepAfterAContact) {
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
    // A contact sets the flag; the next quiet tick knocks.
    Put(m, 1, 100, 100, 3, 0);
    Put(m, 2, 142, 100);
    PhysicsStep(m, 1.0, &ev);
    EXPECT_EQ(ev.knocks, 1);
    EXPECT_TRUE(m.ContactSound);
    test::RunToRest(m, &ev);
    EXPECT_EQ(ev.knocks, 2);
}

} // namespace
} // namespace kv
