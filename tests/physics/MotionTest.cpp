// Single pieces, strikes, contacts and falls.
#include "physics/Table.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using test::Bare;
using test::Events;
using test::Put;
using test::State;

// The ordinary motion is pinned by the scenarios; here its edges.
TEST(Motion, SpeedAndSpinAtTheFrictionLimitStopBeforeMoving) {
    Module1 m = Bare(2);
    GoblaRec& g = m.Gobla(1);
    Put(m, 1, 100, 100, 2 * m.Ftr, 0);
    g.U = 3 * m.Ftr;
    MovePiece(m, g, 1.0, nullptr);
    EXPECT_EQ(State(g), std::tuple(100.0, 100.0, 0.0, 0.0, 0.0));
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
    EXPECT_EQ(State(m.Gobla(2)), std::tuple(-100.0, -100.0, 0.0, 0.0, 0.0));
    EXPECT_EQ(ev.perished, std::vector<i16>{2});
}

TEST(Motion, ObstaclesAndWallsNeverMove) {
    Module1 m = Bare(2);
    test::AddObstacle(m, 300, 200);
    test::AddWalls(m, 1, true);
    for (int k = 3; k <= 5; ++k) {
        GoblaRec& g = m.Gobla(k);
        g.Xvec = 5;
        g.U = 1;
        const auto before = State(g);
        MovePiece(m, g, 1.0, nullptr);
        Segment s{g.Xpos, g.Ypos - 20, g.Xpos + 50, g.Ypos};
        StrikePush(g, s);
        EXPECT_EQ(State(g), before) << k;
    }
}

TEST(Strike, OffCentreGivesSpinAndAStrikeAtTheCentreStaysFinite) {
    Module1 m = Bare(2);
    Put(m, 1, 100, 100);
    Segment l{80, 100, 80, 50}; // on the left rim, pushed towards -y
    StrikePush(m.Gobla(1), l);
    EXPECT_TRUE(m.Gobla(1).Yvec < 0 && m.Gobla(1).U < 0);
    GoblaRec& h = m.Gobla(2); // no lever arm at all
    Segment c{h.Xpos, h.Ypos, h.Xpos + 10, h.Ypos};
    StrikePush(h, c);
    EXPECT_TRUE(h.Xvec > 0 && h.U == 0);
}

TEST(Sound, KnockOnlyOnAWholeQuietStepAfterAContact) {
    Module1 m = Bare(2);
    Events ev;
    Put(m, 1, 100, 100);
    Put(m, 2, 400, 100);
    m.ContactSound = kTrue;
    PhysicsStep(m, 0.5, &ev);
    EXPECT_EQ(std::tuple(ev.knocks, m.ContactSound), std::tuple(0, kTrue));
    PhysicsStep(m, 1.0, &ev);
    EXPECT_EQ(std::tuple(ev.knocks, m.ContactSound), std::tuple(1, kFalse));
    Put(m, 1, 100, 100, 3, 0); // a contact sets the flag; the next quiet tick knocks
    Put(m, 2, 142, 100);
    PhysicsStep(m, 1.0, &ev);
    EXPECT_EQ(std::tuple(ev.knocks, m.ContactSound), std::tuple(1, kTrue));
    test::RunToRest(m, &ev);
    EXPECT_EQ(ev.knocks, 2);
}

TEST(Overlap, TouchingIsNoContactPerishedTouchNothingTurnedShapesDo) {
    Module1 m = Bare(4);
    Put(m, 1, 100, 100); // exactly touching: the sum of the radii is the distance
    Put(m, 2, 140, 100);
    m.Gobla(3).Life = m.Gobla(4).Life = kFalse; // both parked on the same spot
    Put(m, 3, -100, -100);
    Put(m, 4, -100, -100);
    PhysicsStep(m, 1.0, nullptr);
    EXPECT_TRUE(AllStopped(m));
    EXPECT_EQ(m.ContactSound, kFalse);
    // Model 0's second circle (0, -14, 14) turns with the heading: to the right
    // at Phi = pi/2, where it reaches a piece that circle 1 alone would miss.
    for (double phi : {0.0, m.Pi / 2}) {
        Module1 t = Bare(2, 0);
        Put(t, 1, 100, 100);
        Put(t, 2, 146, 100);
        t.Gobla(1).Phi = phi;
        PhysicsStep(t, 0.000001, nullptr);
        EXPECT_EQ(t.Gobla(2).Xvec > 0, phi != 0.0) << phi;
    }
}

// The lighter piece takes the larger push; a mass that is none counts as one.
TEST(Resolve, PushesScaleWithMassAndBadMassCountsAsOne) {
    auto apart = [](i16 m1, i16 m2) {
        Module1 m = Bare(2);
        Put(m, 1, 100, 100);
        Put(m, 2, 140 - 1e-7, 100); // a hair of overlap
        m.Gobla(1).M = m1;
        m.Gobla(2).M = m2;
        PhysicsStep(m, 1.0, nullptr);
        return std::pair(m.Gobla(1).Xvec, m.Gobla(2).Xvec);
    };
    const auto [a1, a2] = apart(1, 1);
    const auto [b1, b2] = apart(1, 2);
    EXPECT_TRUE(a1 < 0 && a2 == -a1 && b1 == a1 && b2 > 0 && b2 < a2);
    EXPECT_EQ(apart(0, -5), apart(1, 1));
}

// Deep overlaps fly apart at millions of units a step; a step of a millionth
// shows the direction before they leave the table.
TEST(Resolve, ConcentricCirclesAndZeroLeverArmStayFinite) {
    Module1 m = Bare(2);
    Put(m, 1, 300, 200);
    Put(m, 2, 300, 200);
    PhysicsStep(m, 0.000001, nullptr);
    EXPECT_TRUE(m.Gobla(1).Xvec < 0 && m.Gobla(2).Xvec > 0); // same centres: apart along x
    EXPECT_EQ(m.Gobla(1).Yvec, 0);
    Module1 k = Bare(2, 0);
    Put(k, 1, 300, 200); // circle 2 at (300, 186), whose rim passes through piece 1's centre
    Put(k, 2, 300, 186); // circle 1 there too: apart along the centres
    PhysicsStep(k, 0.000001, nullptr);
    EXPECT_EQ(k.Gobla(1).Xvec, 0);
    EXPECT_EQ(k.Gobla(1).U, 0);
    EXPECT_TRUE(k.Gobla(1).Yvec > 0 && k.Gobla(2).Yvec < 0);
    EXPECT_TRUE(test::Finite(m) && test::Finite(k));
}

// The striker falling last writes the order of the strike's fallen; the lists
// never overflow, and numbers off the table's slots are ignored.
TEST(Perish, StrikerFallingLastWritesTheOrderAndListsNeverOverflow) {
    Module1 m = Bare(6);
    Events ev;
    Perish(m, 3, &ev);
    Perish(m, 5, &ev);
    Perish(m, 1, &ev);
    EXPECT_EQ(std::tuple(m.CurSgin, m.WS(1), m.WS(2), m.WS(3)), std::tuple(3, 1, 5, 3));
    EXPECT_EQ(std::tuple(m.Gobla(1).Sginul, m.NewSgin), std::tuple(2, 0));
    EXPECT_EQ(ev.perished, (std::vector<i16>{3, 5, 1}));

    Module1 f = Bare(8);
    f.NewSgin = f.CurSgin = 7;
    Perish(f, 2, nullptr); // list full: counted no further
    EXPECT_EQ(f.NewSgin, 7);
    Perish(f, 1, nullptr);
    EXPECT_EQ(std::tuple(f.CurSgin, f.NewSgin), std::tuple(8, 0));
    Perish(f, 0, nullptr);
    Perish(f, 17, nullptr);
}

TEST(Perish, ProbeOffTheTableKillsBeforeAMidStepHit) {
    Module1 m = Bare(2);
    Put(m, 1, 580, 200, 30, 0);  // ends the step beyond x = 600
    Put(m, 2, 595, 240, 0, -30); // crosses its path
    Events ev;
    PhysicsStep(m, 1.0, &ev);
    EXPECT_FALSE(m.Gobla(1).Life);
    EXPECT_EQ(m.Gobla(1).Xpos, -100);
    EXPECT_EQ(ev.perished, std::vector<i16>{1});
    EXPECT_EQ(std::tuple(m.CurSgin, m.WS(1)), std::tuple(1, 1));
    EXPECT_EQ(m.Gobla(2).Xvec, 0); // it met nothing
}

// Heavy pieces on one spot, and eight overlapping on the smallest table of each
// model, part and come to rest instead of pushing each other for ever.
TEST(Bounds, StuckAndOverlappingPiecesComeToRest) {
    Module1 m = Bare(2);
    Put(m, 1, 300, 200);
    Put(m, 2, 300, 200);
    m.Gobla(1).M = m.Gobla(2).M = 1000;
    EXPECT_GE(test::RunToRest(m, nullptr, 100000), 0);
    EXPECT_TRUE(test::Finite(m));
    for (i16 model = 0; model < 4; ++model) {
        Module1 s = Bare(8, model, 200, 200);
        s.LoadedGame = kTrue;
        PlacePieces(s);
        test::AddWalls(s, 1, true);
        s.Gobla(1).Xvec = 10;
        EXPECT_GE(test::RunToRest(s, nullptr), 1) << model;
        EXPECT_TRUE(test::Finite(s)) << model;
    }
}

TEST(Bounds, BadIntervalsDoNothingANaNCentreFalls) {
    Module1 m = Bare(2);
    Put(m, 1, 300, 200, 1, 0);
    for (double dt : {0.0, -1.0, std::nan("")})
        PhysicsStep(m, dt, nullptr);
    EXPECT_EQ(m.Gobla(1).Xpos, 300);
    Put(m, 1, std::nan(""), 200);
    PhysicsStep(m, 1.0, nullptr);
    EXPECT_FALSE(m.Gobla(1).Life);
    EXPECT_TRUE(test::Finite(m));
}

} // namespace
} // namespace kv
