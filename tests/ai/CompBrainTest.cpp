#include "ai/CompBrain.h"
#include "physics/Physics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace kv {
namespace {

Module1 Table(int n, i16 model = 3) {
    Module1 m;
    m.MaxGamers = static_cast<i16>(n);
    m.MaxX = 600;
    m.MaxY = 400;
    m.Ftr = 0.02;
    m.Border = kFalse;
    m.MaxPip = 0;
    m.ZI = kFalse;
    BuildShapes(m);
    for (int k = 1; k <= n; ++k) {
        GoblaRec& g = m.Gobla(k);
        g.MyNum = static_cast<i16>(k);
        g.Life = kTrue;
        g.Model = model;
    }
    return m;
}

void Put(Module1& m, int k, double x, double y) {
    m.Gobla(k).Xpos = x;
    m.Gobla(k).Ypos = y;
}

struct Host : StrikeHost {
    bool replay = false;
    std::vector<std::string> log;
    void SetTurnPhase(i16 phase) override { log.push_back("phase " + std::to_string(phase)); }
    bool ReplayMode() const override { return replay; }
    void WriteReplayStep(const StrikeRecord& s, i16 pot) override {
        log.push_back("replay " + std::to_string(s.si) + " " + std::to_string(pot));
    }
    void PlaySound(int slot, i32 volume) override {
        log.push_back("sound " + std::to_string(slot) + " " + std::to_string(volume));
    }
    void StartMotion() override { log.push_back("motion"); }
};

TEST(Target, RoundedDistanceKeepsTheEarlierPiece) {
    Module1 m = Table(3);
    Put(m, 1, 300, 200);
    Put(m, 2, 300 + 100.4, 200);
    Put(m, 3, 300, 200 + 100.2);
    double dir = 0;
    ChooseStrike(m, 1, dir);
    EXPECT_NEAR(dir, -3 * m.Pi / 2, 1e-12); // towards piece 2, on the right
    Put(m, 3, 300, 200 + 99.9);
    ChooseStrike(m, 1, dir);
    EXPECT_NEAR(dir, -m.Pi, 1e-12); // towards piece 3, along +y
}

TEST(Target, TeamGameNeverAimsAtTheOwnTeam) {
    Module1 m = Table(3);
    m.ZI = kTrue;
    m.Gobla(2).Com = 0;
    m.Gobla(3).Com = 1;
    Put(m, 1, 300, 200);
    Put(m, 2, 300, 150); // own team, close
    Put(m, 3, 500, 200);
    double dir = 0;
    ChooseStrike(m, 1, dir);
    EXPECT_NEAR(dir, -3 * m.Pi / 2, 1e-12);
    m.Gobla(3).Life = kFalse;
    const StrikeRecord s = ChooseStrike(m, 1, dir); // no target left
    EXPECT_EQ(s.si, 0);
    EXPECT_EQ(m.StrikeForce, 0);
    m.ZI = 5; // neither flag value: every piece skipped
    m.Gobla(3).Life = kTrue;
    EXPECT_EQ(ChooseStrike(m, 1, dir).si, 0);
    EXPECT_EQ(ChooseStrike(m, 0, dir).si, 0);
}

TEST(Aim, FourStraightDirections) {
    struct Case {
        double dx, dy, theta, dir;
    };
    Module1 m = Table(2);
    const double Pi = m.Pi;
    const Case cases[] = {{0, -100, 0, 0},
                          {0, 100, 0, -Pi},
                          {100, 0, -Pi / 2, -3 * Pi / 2},
                          {-100, 0, Pi / 2, -Pi / 2}};
    for (const Case& c : cases) {
        Put(m, 1, 300, 200);
        Put(m, 2, 300 + c.dx, 200 + c.dy);
        double dir = 99;
        const StrikeRecord s = ChooseStrike(m, 1, dir);
        EXPECT_DOUBLE_EQ(s.ba, c.theta) << c.dx << " " << c.dy;
        EXPECT_DOUBLE_EQ(s.pa, c.dir);
        EXPECT_DOUBLE_EQ(dir, c.dir);
        // The push points at the target.
        EXPECT_NEAR(std::sin(s.pa) * 100, c.dx, 1e-9);
        EXPECT_NEAR(-std::cos(s.pa) * 100, c.dy, 1e-9);
    }
}

TEST(Aim, DiagonalPointsAtTheTarget) {
    Module1 m = Table(2);
    Put(m, 1, 100, 100);
    Put(m, 2, 160, 180);
    double dir = 0;
    const StrikeRecord s = ChooseStrike(m, 1, dir);
    EXPECT_NEAR(std::sin(s.pa), 0.6, 1e-12);
    EXPECT_NEAR(-std::cos(s.pa), 0.8, 1e-12);
    // Strike point opposite the push: no spin.
    EXPECT_NEAR(std::sin(s.ba), -0.6, 1e-12);
}

TEST(Force, MarchToTheEdgeBeyondTheTarget) {
    Module1 m = Table(2);
    Put(m, 1, 100, 200);
    Put(m, 2, 300, 200);
    double dir = 0;
    const StrikeRecord s = ChooseStrike(m, 1, dir);
    EXPECT_EQ(s.si, 42);
    EXPECT_EQ(m.StrikeForce, 42);
    EXPECT_EQ(m.HintText, "Сила удара: 42");
}

TEST(Force, WallAlongTheFarEdgeAsksForFullForce) {
    Module1 m = Table(2);
    m.Border = kTrue;
    m.BordMode = 0;
    m.BordSimm = kTrue;
    Put(m, 1, 100, 200);
    Put(m, 2, 300, 200);
    double dir = 0;
    EXPECT_EQ(ChooseStrike(m, 1, dir).si, 100);
    // Only the first wall (x = 0): the shot to the right is unchanged.
    m.BordSimm = kFalse;
    EXPECT_EQ(ChooseStrike(m, 1, dir).si, 42);
    // The wall of the other position stands along y: no effect either.
    m.BordMode = 1;
    m.BordSimm = kTrue;
    EXPECT_EQ(ChooseStrike(m, 1, dir).si, 42);
}

TEST(Force, PathAlongAWallToTheNextEdge) {
    Module1 m = Table(2);
    m.Border = kTrue;
    m.BordMode = 1;
    m.BordSimm = kFalse;
    Put(m, 1, 100, 300);
    Put(m, 2, 200, 200); // down and to the right: meets y = 0 at x = 400
    double dir = 0;
    const StrikeRecord s = ChooseStrike(m, 1, dir);
    // 300 * sqrt 2 to the edge, then on along the wall to x = 600.
    const double path = 300 * std::sqrt(2.0) + 200 * std::sqrt(2.0);
    EXPECT_NEAR(s.si, std::round(3 * std::sqrt(2 * 0.02 * 9.81 * path)), 1);
    m.Border = kFalse;
    EXPECT_NEAR(ChooseStrike(m, 1, dir).si,
                std::round(3 * std::sqrt(2 * 0.02 * 9.81 * 300 * std::sqrt(2.0))), 1);
}

TEST(Force, PieceOffTheTableStillGetsAnAnswer) {
    Module1 m = Table(2);
    Put(m, 1, std::nan(""), 200);
    Put(m, 2, 300, 200);
    double dir = 0;
    const StrikeRecord s = ChooseStrike(m, 1, dir);
    EXPECT_GE(s.si, 0);
    EXPECT_LE(s.si, 100);
    m.Ftr = -1;
    Put(m, 1, 100, 200);
    EXPECT_EQ(ChooseStrike(m, 1, dir).si, 0);
}

TEST(Execute, RoundPieceStraightUp) {
    Module1 m = Table(2);
    m.CurG = 1;
    Put(m, 1, 100, 100);
    Host host;
    Rng rng(1);
    ExecuteStrike(m, StrikeRecord{0, 0, 50}, host, rng);
    const GoblaRec& g = m.Gobla(1);
    EXPECT_EQ(g.Xvec, 0);
    EXPECT_DOUBLE_EQ(g.Yvec, -10);
    EXPECT_EQ(g.U, 0);
    EXPECT_EQ(host.log, (std::vector<std::string>{"phase 3", "replay 50 0", "motion"}));
    double px = 0, py = 0;
    StrikePoint(m, g, 0, px, py);
    EXPECT_DOUBLE_EQ(px, 100);
    EXPECT_DOUBLE_EQ(py, 80);
}

TEST(Execute, ReplayIsNotRecordedAgain) {
    Module1 m = Table(2);
    m.CurG = 2;
    Put(m, 2, 300, 200);
    Host host;
    host.replay = true;
    Rng rng(1);
    ExecuteStrike(m, StrikeRecord{m.Pi / 2, -m.Pi / 2, 10}, host, rng);
    EXPECT_EQ(host.log, (std::vector<std::string>{"phase 3", "motion"}));
    EXPECT_NEAR(m.Gobla(2).Xvec, -2, 1e-12);
}

TEST(Execute, StrongStrikeSoundOnlyAtFullForceWithSoundOn) {
    Module1 m = Table(2);
    m.CurG = 1;
    Rng rng(7);
    int heard = 0;
    const int tries = 2000;
    for (int t = 0; t < tries; ++t) {
        Put(m, 1, 300, 200);
        Host host;
        ExecuteStrike(m, StrikeRecord{0, 0, 100}, host, rng);
        for (const std::string& e : host.log) {
            if (e.rfind("sound", 0) == 0) {
                ++heard;
                EXPECT_TRUE(e == "sound 4 -10" || e == "sound 5 -10" || e == "sound 6 -10") << e;
            }
        }
    }
    EXPECT_GT(heard, tries * 25 / 100);
    EXPECT_LT(heard, tries * 35 / 100);
    for (int t = 0; t < 200; ++t) {
        Host quiet;
        ExecuteStrike(m, StrikeRecord{0, 0, 99}, quiet, rng);
        m.Sound = kFalse;
        ExecuteStrike(m, StrikeRecord{0, 0, 100}, quiet, rng);
        m.Sound = kTrue;
        for (const std::string& e : quiet.log)
            EXPECT_NE(e.rfind("sound", 0), 0u);
    }
}

TEST(Outline, StrikePointPerModel) {
    Module1 m = Table(2);
    GoblaRec g = m.Gobla(1);
    g.Xpos = 100;
    g.Ypos = 100;
    const double Pi = m.Pi;
    auto rho = [&](i16 model, double a, double phi) {
        g.Model = model;
        g.Phi = phi;
        double px = 0, py = 0;
        StrikePoint(m, g, a, px, py);
        return Hypot(px - 100, py - 100);
    };
    EXPECT_NEAR(rho(0, 0, 0), 28, 1e-12); // the tail circle's far rim
    EXPECT_NEAR(rho(0, Pi / 4, 0), 28 * std::cos(Pi / 4), 1e-12);
    EXPECT_NEAR(rho(0, 6, 0.1), 20, 1e-12);  // delta 5.9: not reduced
    EXPECT_NEAR(rho(0, -1, 0.5), 20, 1e-12); // a moved by 2 pi first
    EXPECT_NEAR(rho(1, 0, 0), 28, 1e-12);
    EXPECT_NEAR(rho(1, Pi / 2, 0), 20 / std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(rho(1, Pi, 0), 20 / std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(rho(1, 2 * Pi - 0.1, 0), 28 * std::cos(0.1), 1e-9); // reduced to -0.1
    EXPECT_NEAR(rho(2, 0, 0), 20, 1e-12);
    EXPECT_NEAR(rho(2, Pi / 4, 0), 20 * std::sqrt(2.0), 1e-9); // the corner
    EXPECT_NEAR(rho(2, Pi / 2, 0), 20, 1e-12);
    EXPECT_NEAR(rho(2, 0.3, 0.3), 20, 1e-12); // turned with the piece
    EXPECT_NEAR(rho(3, 1.234, -2), 20, 1e-12);
    EXPECT_EQ(rho(4, 1.0, 0), 0); // no outline: the centre
    EXPECT_EQ(rho(5, 1.0, 0), 0);
    // Direction of the point: (sin a, -cos a).
    g.Model = 3;
    g.Phi = 0;
    double px = 0, py = 0;
    StrikePoint(m, g, Pi / 2, px, py);
    EXPECT_NEAR(px, 120, 1e-12);
    EXPECT_NEAR(py, 100, 1e-12);
}

TEST(Spread, AngleAndForceStayInRange) {
    Module1 m = Table(2);
    const double Pi = m.Pi;
    Rng rng(3);
    m.VarK = 0;
    EXPECT_EQ(SpreadAngle(m, rng, 1.25), 1.25);
    EXPECT_EQ(SpreadForce(m, rng, 60), 60);
    m.VarK = 0.1f;
    double lo = 1, hi = -1;
    for (int t = 0; t < 5000; ++t) {
        const double d = SpreadAngle(m, rng, 1.0) - 1.0;
        lo = std::min(lo, d);
        hi = std::max(hi, d);
        const i16 f = SpreadForce(m, rng, 100);
        EXPECT_GE(f, 95);
        EXPECT_LE(f, 105);
    }
    EXPECT_GE(lo, -0.05 * Pi * 1.0000001);
    EXPECT_LE(hi, 0.05 * Pi * 1.0000001);
    EXPECT_LT(lo, -0.04 * Pi);
    EXPECT_GT(hi, 0.04 * Pi);
    // Wraps once past 2 pi either way.
    for (int t = 0; t < 200; ++t) {
        const double up = SpreadAngle(m, rng, 2 * Pi);
        EXPECT_TRUE(up <= 2 * Pi && (up >= 2 * Pi - 0.16 || (up >= 0 && up <= 0.16))) << up;
        const double dn = SpreadAngle(m, rng, -2 * Pi);
        EXPECT_TRUE(dn >= -2 * Pi && (dn <= -2 * Pi + 0.16 || (dn <= 0 && dn >= -0.16))) << dn;
    }
    m.VarK = 0.5f; // out of range: no spread
    EXPECT_EQ(SpreadForce(m, rng, 60), 60);
}

} // namespace
} // namespace kv
