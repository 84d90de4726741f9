#include "physics/Table.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using test::Bare;
using test::Events;
using test::Put;

TEST(Overlap, TouchingPerishedAndFirstCirclePair) {
    EXPECT_FALSE(CirclesOverlap({0, 0, 20}, {40, 0, 20}));
    EXPECT_TRUE(CirclesOverlap({0, 0, 20}, {39.999, 0, 20}));
    EXPECT_FALSE(CirclesOverlap({0, 0, 3}, {0, 5, 2}));
    Module1 m = Bare(2);
    Put(m, 1, -100, -100);
    Put(m, 2, -100, -100);
    m.Gobla(1).Life = kFalse;
    EXPECT_EQ(PairContact(m, m.Gobla(1), m.Gobla(2))[0], -1);
    m.Gobla(1).Life = kTrue;
    EXPECT_EQ(PairContact(m, m.Gobla(1), m.Gobla(2))[0], 1);
    Module1 k = Bare(2, 0);
    Put(k, 1, 100, 100); // circles at (100, 100) and (100, 86)
    Put(k, 2, 100, 60);  // just touches circle 1, overlaps circle 2
    const auto kl = PairContact(k, k.Gobla(1), k.Gobla(2));
    EXPECT_EQ(kl[0], 2);
    EXPECT_EQ(kl[1], 1);
}

TEST(Resolve, PushesScaleWithMassAndBadMassCountsAsOne) {
    struct Case {
        i16 m1, m2;
        double v1, v2;
    };
    // One push needed, then two more: three pushes of 0.2, divided by the mass.
    for (const Case& c : {Case{1, 1, -0.6, 0.6}, Case{1, 2, -0.6, 0.3}, Case{0, -5, -0.6, 0.6}}) {
        Module1 m = Bare(2);
        Put(m, 1, 100, 100);
        Put(m, 2, 140 - 1e-7, 100);
        m.Gobla(1).M = c.m1;
        m.Gobla(2).M = c.m2;
        ResolveContact(m, 0.000001, Contact{1, 2, 1, 1}, nullptr);
        EXPECT_NEAR(m.Gobla(1).Xvec, c.v1, 1e-12) << c.m1 << " " << c.m2;
        EXPECT_NEAR(m.Gobla(2).Xvec, c.v2, 1e-12) << c.m1 << " " << c.m2;
        EXPECT_EQ(m.Gobla(1).U, 0);
        EXPECT_EQ(m.Gobla(2).Yvec, 0);
    }
}

TEST(Resolve, ConcentricCirclesAndZeroLeverArmStayFinite) {
    Module1 m = Bare(2);
    Put(m, 1, 300, 200);
    Put(m, 2, 300, 200);
    ResolveContact(m, 0.000001, Contact{1, 2, 1, 1}, nullptr);
    EXPECT_TRUE(test::Finite(m));
    EXPECT_LT(m.Gobla(1).Xvec, 0); // same centres: apart along x
    EXPECT_GT(m.Gobla(2).Xvec, 0);
    EXPECT_EQ(m.Gobla(1).Yvec, 0);
    Module1 k = Bare(2, 0);
    Put(k, 1, 300, 200); // circle 2 at (300, 186)
    Put(k, 2, 300, 186); // circle 1 there too: apart along the centres
    ResolveContact(k, 0.000001, Contact{1, 2, 2, 1}, nullptr);
    EXPECT_EQ(k.Gobla(1).Xvec, 0);
    EXPECT_GT(k.Gobla(1).Yvec, 0);
    EXPECT_LT(k.Gobla(2).Yvec, 0);
    // A push through the centre gives no spin; one without direction nothing.
    GoblaRec& g = k.Gobla(3);
    Put(k, 3, 100, 100);
    Segment s{100, 100, 100, 86}, z{100, 100, 100, 100};
    ContactPush(g, s);
    ContactPush(g, z);
    EXPECT_EQ(g.U, 0);
    EXPECT_DOUBLE_EQ(g.Yvec, -0.2);
    EXPECT_TRUE(test::Finite(k));
}

TEST(Contact, HeadOnRoundPiecesPartSymmetrically) {
    Module1 m = Bare(2);
    Put(m, 1, 200, 200, 1, 0);
    Put(m, 2, 250, 200, -1, 0);
    for (int t = 0; t < 10; ++t)
        PhysicsStep(m, 1.0, nullptr);
    const GoblaRec& a = m.Gobla(1);
    const GoblaRec& b = m.Gobla(2);
    EXPECT_EQ(a.Yvec, 0);
    EXPECT_EQ(b.Yvec, 0);
    EXPECT_EQ(a.U, 0);
    EXPECT_LE(a.Xvec, 0);
    EXPECT_DOUBLE_EQ(a.Xvec, -b.Xvec);
    EXPECT_GE(b.Xpos - a.Xpos, 40);
    EXPECT_TRUE(a.Life && b.Life);
}

TEST(Contact, ObstacleBouncesWallPositionDecidesBounceOrFall) {
    Module1 m = Bare(2);
    Put(m, 1, 100, 200, 3, 0);
    Put(m, 2, 500, 380);
    test::AddObstacle(m, 160, 200);
    EXPECT_GT(test::RunToRest(m, nullptr), 0);
    EXPECT_LT(m.Gobla(1).Xpos, 130);
    EXPECT_EQ(m.Gobla(3).Xpos, 160);
    EXPECT_EQ(m.Gobla(3).Xvec, 0);
    EXPECT_EQ(m.Gobla(2).Xpos, 500);
    for (i16 mode : {i16{0}, i16{1}}) {
        Module1 w = Bare(2);
        Put(w, 1, 40, 200, -5, 0);
        Put(w, 2, 500, 200);
        test::AddWalls(w, mode, true);
        Events ev;
        test::RunToRest(w, &ev);
        EXPECT_EQ(w.Gobla(1).Life != 0, mode == 0);
        EXPECT_EQ(ev.perished.size(), mode == 0 ? 0u : 1u);
        if (mode == 0) EXPECT_GT(w.Gobla(1).Xpos, 20);
    }
}

TEST(Perish, StrikerFallingLastWritesTheOrder) {
    Module1 m = Bare(6);
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
    m.NewSgin = m.CurSgin = 7;
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
    Put(m, 1, 580, 200, 30, 0);  // ends the step beyond x = 600
    Put(m, 2, 595, 240, 0, -30); // crosses its path
    Events ev;
    PhysicsStep(m, 1.0, &ev);
    EXPECT_FALSE(m.Gobla(1).Life);
    EXPECT_EQ(m.Gobla(1).Xpos, -100);
    EXPECT_EQ(ev.perished, std::vector<i16>{1});
    EXPECT_EQ(m.CurSgin, 1);
    EXPECT_EQ(m.WS(1), 1);
    EXPECT_EQ(m.Gobla(2).Xvec, 0); // it met nothing
}

TEST(Bounds, StuckPairsAndOverlappingFixedObjectsComeToRest) {
    Module1 m = Bare(2);
    Put(m, 1, 300, 200);
    Put(m, 2, 300, 200);
    m.Gobla(1).M = m.Gobla(2).M = 1000;
    PhysicsStep(m, 1.0, nullptr);
    EXPECT_TRUE(test::Finite(m));
    EXPECT_GE(test::RunToRest(m, nullptr, 100000), 0);
    Module1 o = Bare(2);
    Put(o, 1, 100, 200, 3, 0);
    Put(o, 2, 500, 380);
    test::AddObstacle(o, 300, 5);   // overlaps the wall along y = 0
    test::AddObstacle(o, 300, 12);  // and the first obstacle
    test::AddObstacle(o, 160, 200); // in piece 1's way
    test::AddWalls(o, 1, true);
    test::RunToRest(o, nullptr);
    EXPECT_LT(o.Gobla(1).Xpos, 130);
    for (i16 model : {i16{0}, i16{1}, i16{2}, i16{3}}) {
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
