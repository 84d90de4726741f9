// The modern look's picture of the match: colours, the turn, falls, banners,
// the slow pot and the force bar, never a change of the match itself.
#include "MatchRig.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace kv::test {
namespace {

using Lab = std::array<double, 3>;

// CIELAB of a linear RGB colour seen through m (Machado et al., full severity).
Lab Seen(const float* c, const double (&m)[3][3]) {
    double rgb[3];
    for (int i = 0; i < 3; ++i)
        rgb[i] = std::clamp(m[i][0] * c[0] + m[i][1] * c[1] + m[i][2] * c[2], 0.0, 1.0);
    const double X = (0.4124 * rgb[0] + 0.3576 * rgb[1] + 0.1805 * rgb[2]) / 0.95047;
    const double Y = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
    const double Z = (0.0193 * rgb[0] + 0.1192 * rgb[1] + 0.9505 * rgb[2]) / 1.08883;
    auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116; };
    return {116 * f(Y) - 16, 500 * (f(X) - f(Y)), 200 * (f(Y) - f(Z))};
}

constexpr double kNormal[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
constexpr double kProtan[3][3] = {{0.152286, 1.052583, -0.204868},
                                  {0.114503, 0.786281, 0.099216},
                                  {-0.003882, -0.048116, 1.051998}};
constexpr double kDeutan[3][3] = {{0.367322, 0.860646, -0.227968},
                                  {0.280085, 0.672501, 0.047413},
                                  {-0.011820, 0.042940, 0.968881}};

TEST(Look, EveryPlayerHasAColourOfHisOwnAlsoForColourBlindEyes) {
    Rig r(8);
    r.Teams();
    for (int i = 2; i <= 8; i += 2)
        r.m.Gobla(i).Gray = 1;
    r.Start();
    r.KbTicks(1);
    ASSERT_FALSE(r.scene.looks.empty());
    const MatchLook& l = r.scene.looks.back();
    for (const auto* eye : {&kNormal, &kProtan, &kDeutan}) {
        for (int a = 1; a <= 8; ++a) {
            for (int b = a + 1; b <= 8; ++b) {
                const Lab x = Seen(l.pieces[a].tint, *eye), y = Seen(l.pieces[b].tint, *eye);
                EXPECT_GT(std::hypot(x[0] - y[0], x[1] - y[1], x[2] - y[2]), 30) << a << " " << b;
            }
        }
    }
    for (int k = 1; k <= 8; ++k)
        EXPECT_EQ(l.pieces[k].turn, k == 1) << k;
    EXPECT_EQ(std::tuple(l.banner, l.force), std::tuple("Ход: Омон1", -1.f));

    Rig c(2);
    c.m.Graphics = kGraphicsClassic;
    c.Start();
    c.KbTicks(10);
    EXPECT_TRUE(c.scene.looks.empty()); // the classic scene is never told
}

// What a played strike leaves, with what was recorded and the ticks it took.
auto OutcomeOf(const Rig& r) {
    std::vector<std::tuple<double, double, int, int>> written;
    for (const ReplayStepRec& w : r.replay.written)
        written.emplace_back(w.strike.ba, w.strike.pa, w.strike.si, w.pot);
    return std::tuple(r.Ended(), written, r.s->PhysicsTicks());
}

TEST(Look, APieceOffTheEdgeTipsOverInThePictureOnly) {
    Rig modern(2), classic(2);
    classic.m.Graphics = kGraphicsClassic;
    for (Rig* r : {&modern, &classic}) {
        r->Start();
        r->Charge(60); // full force along the view (+x) drives piece 1 off the table
        r->Settle();
    }
    EXPECT_EQ(OutcomeOf(modern), OutcomeOf(classic));
    EXPECT_TRUE(modern.s->GameOver() && modern.m.Winner == 2);

    std::vector<float> fall;
    std::vector<std::string> banners;
    for (const MatchLook& l : modern.scene.looks) {
        if (fall.empty() || l.pieces[1].fall != fall.back()) fall.push_back(l.pieces[1].fall);
        if (!l.banner.empty() && (banners.empty() || l.banner != banners.back()))
            banners.push_back(l.banner);
    }
    // From the table to out of sight in steps over about half a second.
    ASSERT_GE(fall.size(), 10u);
    EXPECT_TRUE(std::is_sorted(fall.begin(), fall.end()));
    EXPECT_EQ(std::tuple(fall.front(), fall.back()), std::tuple(0.f, 1.f));
    const PieceLook& p = modern.scene.looks.back().pieces[1];
    EXPECT_NEAR(p.fallX, modern.m.MaxX / 10.0, 1e-9); // over the right edge, going right
    EXPECT_GT(p.fallDirX, 0.99f);
    EXPECT_EQ(p.fallY, 0);
    EXPECT_EQ(banners, (std::vector<std::string>{"Ход: Омон1", "Гобла Омон1 сгинула!",
                                                 "Победила Гобла Омон2!"}));
    EXPECT_FALSE(modern.scene.looks.back().pieces[2].turn); // the match is over
}

TEST(Look, ThePotFallsSlowlyEnoughToBeSeenAndThrowsTheSame) {
    Rig modern(4), classic(4);
    classic.m.Graphics = kGraphicsClassic;
    auto fallMs = [](Rig& r) {
        r.Start();
        r.Press(Scan::G);
        r.Press(Scan::M); // the pot with full force
        int ticks = 0;
        for (; r.clock.Enabled(TimerId::Gor); ++ticks)
            r.Fire(TimerId::Gor);
        r.Settle();
        return ticks * kGorMs;
    };
    EXPECT_GE(fallMs(modern), 1000); // the flight and the impact held after it
    EXPECT_LE(fallMs(classic), 300);
    EXPECT_EQ(OutcomeOf(modern), OutcomeOf(classic));
}

} // namespace
} // namespace kv::test
