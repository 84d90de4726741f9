#include "physics/Table.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using test::Bare;
using test::Events;
using test::Put;

TEST(Overlap, TouchingExactlyIsNoOverlap) {
    EXPECT_FALSE(CirclesOverlap({0, 0, 20}, {40, 0, 20}));
    EXPECT_TRUE(CirclesOverlap({0, 0, 20}, {39.999, 0, 20}));
    EXPECT_FALSE(CirclesOverlap({0, 0, 3}, {0, 5, 2}));
}

TEST(Overlap, PerishedPiecesTouchNothing) {
    Module1 m = Bare(2);
    Put(m, 1, -100, -100);
    Put(m, 2, -100, -100);
    m.Gobla(1).Life = kFalse;
    m.Gobla(2).Life = kFalse;
    EXPECT_EQ(PairContact(m, m.Gobla(1), m.Gobla(2))[0], -1);
    m.Gobla(2).Life = kTrue;
    EXPECT_EQ(PairContact(m, m.Gobla(1), m.Gobla(2))[0], -1);
    m.Gobla(1).Life = kTrue;
    const auto kl = PairContact(m, m.Gobla(1), m.Gobla(2));
    EXPECT_EQ(kl[0], 1);
    EXPECT_EQ(kl[1], 1);
}

TEST(Overlap, FirstCirclePairInOrder) {
    Module1 m = Bare(2, 0);
    Put(m, 1, 100, 100); // circles at (100, 100) and (100, 86)
    Put(m, 2, 100, 60);  // circle 1 just touches piece 1's circle 1, overlaps its circle 2
    const auto kl = PairContact(m, m.Gobla(1), m.Gobla(2));
    EXPECT_EQ(kl[0], 2);
    EXPECT_EQ(kl[1], 1);
    EXPECT_EQ(PairContact(m, m.Gobla(1), m.Gobla(1))[0], 1);
}

TEST(Resolve, PushesScaleWithMass) {
    Module1 m = Bare(2);
    Put(m, 1, 100, 100);
    Put(m, 2, 140 - 1e-7, 100);
    ResolveContact(m, 0.000001, Contact{1, 2, 1, 1}, nullptr);
    // One push needed, then two more: three pushes of 0.2 each.
    EXPECT_NEAR(m.Gobla(1).Xvec, -0.6, 1e-12);
    EXPECT_NEAR(m.Gobla(2).Xvec, 0.6, 1e-12);
    EXPECT_EQ(m.Gobla(1).U, 0);
    EXPECT_EQ(m.Gobla(2).Yvec, 0);

    Module1 h = Bare(2);
    Put(h, 1, 100, 100);
    Put(h, 2, 140 - 1e-7, 100);
    h.Gobla(2).M = 2;
    ResolveContact(h, 0.000001, Contact{1, 2, 1, 1}, nullptr);
    EXPECT_NEAR(h.Gobla(2).Xvec, 0.3, 1e-12);
    EXPECT_NEAR(h.Gobla(1).Xvec, -0.6, 1e-12);
}

TEST(Resolve, ZeroAndNegativeMassAreTreatedAsOne) {
    Module1 m = Bare(2);
    Put(m, 1, 100, 100);
    Put(m, 2, 140 - 1e-7, 100);
    m.Gobla(1).M = 0;
    m.Gobla(2).M = -5;
    ResolveContact(m, 0.000001, Contact{1, 2, 1, 1}, nullptr);
    EXPECT_NEAR(m.Gobla(1).Xvec, -0.6, 1e-12);
    EXPECT_NEAR(m.Gobla(2).Xvec, 0.6, 1e-12);
}

TEST(Resolve, ConcentricCirclesPartAlongX) {
    Module1 m = Bare(2);
    Put(m, 1, 300, 200);
    Put(m, 2, 300, 200);
    ResolveContact(m, 0.000001, Contact{1, 2, 1, 1}, nullptr);
    EXPECT_TRUE(test::Finite(m));
    EXPECT_LT(m.Gobla(1).Xvec, 0);
    EXPECT_GT(m.Gobla(2).Xvec, 0);
    EXPECT_EQ(m.Gobla(1).Yvec, 0);
    // Concentric circles of pieces whose centres differ: along the centres.
    Module1 k = Bare(2, 0);
    Put(k, 1, 300, 200); // circle 2 at (300, 186)
    Put(k, 2, 300, 186); // circle 1 at (300, 186)
    ResolveContact(k, 0.000001, Contact{1, 2, 2, 1}, nullptr);
    EXPECT_EQ(k.Gobla(1).Xvec, 0);
    EXPECT_GT(k.Gobla(1).Yvec, 0);
    EXPECT_LT(k.Gobla(2).Yvec, 0);
}

TEST(Resolve, ZeroLeverArmGivesNoSpin) {
    Module1 m = Bare(2, 0);
    GoblaRec& g = m.Gobla(1);
    Put(m, 1, 100, 100);
    // Circle (0, -14, 14): its rim passes through the centre.
    Segment s{100, 100, 100, 86};
    ContactPush(g, s);
    EXPECT_EQ(g.U, 0);
    EXPECT_DOUBLE_EQ(g.Yvec, -0.2);
    Segment z{100, 100, 100, 100}; // no direction at all
    ContactPush(g, z);
    EXPECT_DOUBLE_EQ(g.Yvec, -0.2);
    EXPECT_TRUE(test::Finite(m));
}

TEST(Contact, HeadOnRoundPiecesPartSymmetrically) {
    Module1 m = Bare(2);
    Put(m, 1, 200, 200, 1, 0);
    Put(m, 2, 250, 200, -1, 0);
    Events ev;
    for (int t = 0; t < 10; ++t)
        PhysicsStep(m, 1.0, &ev);
    const GoblaRec& a = m.Gobla(1);
    const GoblaRec& b = m.Gobla(2);
    EXPECT_EQ(a.Yvec, 0);
    EXPECT_EQ(b.Yvec, 0);
    EXPECT_EQ(a.U, 0);
    EXPECT_LE(a.Xvec, 0);
    EXPECT_DOUBLE_EQ(a.Xvec, -b.Xvec);
    EXPECT_GE(b.Xpos - a.Xpos, 40);
    EXPECT_TRUE(m.Gobla(1).Life && m.Gobla(2).Life);
}

TEST(Contact, PieceBouncesOffObstacleAlone) {
    Module1 m = Bare(2);
    Put(m, 1, 100, 200, 3, 0);
    Put(m, 2, 500, 380);
    test::AddObstacle(m, 160, 200);
    const GoblaRec before = m.Gobla(3);
    int ticks = test::RunToRest(m, nullptr);
    EXPECT_GT(ticks, 0);
    EXPECT_LT(m.Gobla(1).Xpos, 130);
    EXPECT_EQ(m.Gobla(3).Xpos, before.Xpos);
    EXPECT_EQ(m.Gobla(3).Xvec, 0);
    EXPECT_EQ(m.Gobla(2).Xpos, 500);
}

TEST(Contact, WallPositionDecidesBounceOrFall) {
    for (i16 mode : {i16{0}, i16{1}}) {
        Module1 m = Bare(2);
        Put(m, 1, 40, 200, -5, 0);
        Put(m, 2, 500, 200);
        test::AddWalls(m, mode, true);
        Events ev;
        test::RunToRest(m, &ev);
        if (mode == 0) {
            EXPECT_TRUE(m.Gobla(1).Life);
            EXPECT_GT(m.Gobla(1).Xpos, 20);
            EXPECT_EQ(m.Gobla(3).Xpos, -1000000);
        } else {
            EXPECT_FALSE(m.Gobla(1).Life);
            ASSERT_EQ(ev.perished.size(), 1u);
        }
    }
}

TEST(Perish, StrikerFallingLastWritesTheOrder) {
    Module1 m = Bare(6);
    m.CurG = 1;
    m.CurSgin = 0;
    Events ev;
    Perish(m, 3, &ev);
    Perish(m, 5, &ev);
    EXPECT_EQ(m.NewSgin, 2);
    EXPECT_EQ(m.SginList(1), 3);
    EXPECT_EQ(m.SginList(2), 5);
    Perish(m, 1, &ev);
    EXPECT_EQ(m.CurSgin, 3);
    EXPECT_EQ(m.WS(1), 1);
    EXPECT_EQ(m.WS(2), 5);
    EXPECT_EQ(m.WS(3), 3);
    EXPECT_EQ(m.Gobla(1).Sginul, 2);
    EXPECT_EQ(m.NewSgin, 0);
    EXPECT_EQ(ev.perished, (std::vector<i16>{3, 5, 1}));
    Perish(m, 4, &ev); // later in the same strike: a new list
    EXPECT_EQ(m.NewSgin, 1);
    EXPECT_EQ(m.SginList(1), 4);
}

TEST(Perish, ListsNeverOverflow) {
    Module1 m = Bare(8);
    m.CurG = 1;
    m.NewSgin = 7;
    m.CurSgin = 7;
    Perish(m, 2, nullptr); // list full: counted no further
    EXPECT_EQ(m.NewSgin, 7);
    Perish(m, 1, nullptr);
    EXPECT_EQ(m.CurSgin, 8);
    EXPECT_EQ(m.NewSgin, 0);
    Perish(m, 0, nullptr);
    Perish(m, 17, nullptr);
}

TEST(Perish, ProbeOffTheTableKillsBeforeAMidStepHit) {
    Module1 m = Bare(2);
    // Piece 1 would end the step beyond x = 600; piece 2 crosses its path.
    Put(m, 1, 580, 200, 30, 0);
    Put(m, 2, 595, 240, 0, -30);
    Events ev;
    PhysicsStep(m, 1.0, &ev);
    EXPECT_FALSE(m.Gobla(1).Life);
    EXPECT_EQ(m.Gobla(1).Xpos, -100);
    EXPECT_EQ(ev.perished, std::vector<i16>{1});
    EXPECT_EQ(m.CurSgin, 1);
    EXPECT_EQ(m.WS(1), 1);
    EXPECT_EQ(m.Gobla(2).Xvec, 0); // it met nothing
}

TEST(Bounds, StuckHeavyPairFinishesTheTick) {
    Module1 m = Bare(2);
    Put(m, 1, 300, 200);
    Put(m, 2, 300, 200);
    m.Gobla(1).M = 1000;
    m.Gobla(2).M = 1000;
    PhysicsStep(m, 1.0, nullptr);
    EXPECT_TRUE(test::Finite(m));
    EXPECT_GE(test::RunToRest(m, nullptr, 100000), 0);
}

TEST(Bounds, OverlappingFixedObjectsNeitherHangNorHideContacts) {
    Module1 m = Bare(2);
    Put(m, 1, 100, 200, 3, 0);
    Put(m, 2, 500, 380);
    test::AddObstacle(m, 300, 5);   // overlaps the wall along y = 0
    test::AddObstacle(m, 300, 12);  // and the first obstacle
    test::AddObstacle(m, 160, 200); // in piece 1's way
    test::AddWalls(m, 1, true);
    test::RunToRest(m, nullptr);
    EXPECT_LT(m.Gobla(1).Xpos, 130);
}

TEST(Bounds, EightPlayersOnTheSmallestTableComeToRest) {
    for (i16 model : {i16{0}, i16{1}, i16{2}, i16{3}}) {
        Module1 m = Bare(8, model, 200, 200);
        m.LoadedGame = kTrue;
        PlacePieces(m);
        test::AddWalls(m, 1, true);
        m.Gobla(1).Xvec = 10;
        Events ev;
        EXPECT_GE(test::RunToRest(m, &ev), 1) << model;
        EXPECT_TRUE(test::Finite(m)) << model;
    }
}

TEST(Bounds, BadIntervalsDoNothing) {
    Module1 m = Bare(2);
    Put(m, 1, 300, 200, 1, 0);
    PhysicsStep(m, 0.0, nullptr);
    PhysicsStep(m, -1.0, nullptr);
    PhysicsStep(m, std::nan(""), nullptr);
    EXPECT_EQ(m.Gobla(1).Xpos, 300);
}

TEST(Bounds, CentreThatIsNotANumberFalls) {
    Module1 m = Bare(2);
    Put(m, 1, std::nan(""), 200);
    PhysicsStep(m, 1.0, nullptr);
    EXPECT_FALSE(m.Gobla(1).Life);
    EXPECT_TRUE(test::Finite(m));
}

} // namespace
} // namespace kv
