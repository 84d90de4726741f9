// Camera keys and following, and the text drawn over the picture.
#include "MatchRig.h"

#include "match/NameLabels.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace kv::test {
namespace {

std::string TextAt(const std::vector<TextItem>& v, int x, int y) {
    auto it =
        std::find_if(v.begin(), v.end(), [&](const TextItem& t) { return t.x == x && t.y == y; });
    return it == v.end() ? "<none>" : it->text;
}

TEST(Camera, LookAtHeightZoomRaiseAndOrbitKeys) {
    Rig r(2);
    r.Start();
    r.m.TargetY = 99;
    r.kb.Hold(Scan::PageUp);
    r.KbTicks(1);
    EXPECT_EQ(std::tuple(r.m.TargetY, r.m.HintText, r.s->CamFollow()),
              std::tuple(100.0, "Ручная настройка камеры: вверх (y=100)", -1));
    r.KbTicks(5);
    EXPECT_EQ(r.m.TargetY, 100.0);
    r.kb.ReleaseAll();

    r.m.CamX = 32;
    r.m.TargetX = 30;
    r.m.CamZ = 20;
    r.m.TargetZ = -20;
    r.Press(Scan::KpPlus);
    EXPECT_DOUBLE_EQ(r.m.CamX, 32); // |dx| = 2: no closer in x
    EXPECT_DOUBLE_EQ(r.m.CamZ, -20 + 0.95 * 40);
    EXPECT_DOUBLE_EQ(r.scene.camera[2], r.m.CamZ);
    // Keypad 8 at the top does nothing; below it raises the camera and the height to return to.
    r.m.CamY = 100;
    r.kb.Hold(Scan::Kp8);
    r.KbTicks(1);
    EXPECT_DOUBLE_EQ(r.m.CamY, 100);
    r.m.CamY = 50;
    r.KbTicks(1);
    EXPECT_EQ(std::tuple(r.m.CamY, r.s->CamHeight()), std::tuple(51.0, 51));
    r.kb.ReleaseAll(); // keypad 6 orbits at the same distance
    r.m.CamX = -50;
    r.m.CamZ = r.m.TargetZ = -20;
    r.m.TargetX = 30;
    r.Press(Scan::Kp6);
    EXPECT_NEAR(std::hypot(r.m.CamX - 30, r.m.CamZ + 20), 80, 1e-9);
    EXPECT_EQ(r.scene.lookAt.back(), kLookAtCenter);
}

TEST(Camera, FollowingWrapsAndFallsBackToTheCentre) {
    Rig r(3);
    r.Start();
    r.m.Gobla(3).RName = "Третий";
    std::vector<int> follow;
    auto key = [&](Key k) {
        r.s->KeyDown(k);
        follow.push_back(r.s->CamFollow());
    };
    key(Key::BracketRight); // from the centre: the current player
    key(Key::BracketRight);
    r.m.Gobla(1).Life = kFalse;
    key(Key::BracketRight);
    EXPECT_NE(r.m.HintText.find("Третий"), std::string::npos);
    key(Key::BracketRight); // wraps past the perished first player
    key(Key::BracketLeft);
    EXPECT_EQ(follow, (std::vector<int>{1, 2, 3, 2, 3}));
    r.clock.Advance(1000); // the glide ends on piece 3 at (30, 370)
    EXPECT_EQ(std::tuple(r.m.TargetX, r.m.TargetY, r.m.TargetZ), std::tuple(3.0, -2.0, -37.0));
    EXPECT_FALSE(r.clock.Enabled(TimerId::Cam));
    for (int i = 1; i <= 3; ++i)
        r.m.Gobla(i).Life = kFalse;
    r.s->KeyDown(Key::BracketRight);
    EXPECT_EQ(r.s->CamFollow(), 0);
}

TEST(Camera, LimitsEndTheTickBeforeTheShortcuts) {
    Rig r(2);
    r.Start();
    // Camera on its look-at point: "forward" has no direction and ends the tick.
    r.m.CamX = r.m.TargetX;
    r.m.CamZ = r.m.TargetZ;
    r.kb.Hold(Scan::Up);
    r.Press(Scan::M);
    EXPECT_EQ(r.s->Strikes(), 0);
    r.Press(Scan::M);
    EXPECT_EQ(r.s->Strikes(), 1);
}

TEST(NameLabels, ProjectionFromAboveAndNoneOffThePictureOrBehindTheCamera) {
    Module1 m;
    m.ScreenW = 640;
    m.ScreenH = 480;
    m.MaxGamers = 4;
    m.CamX = m.TargetX = 30;
    m.CamY = 50;
    m.TargetY = 0;
    m.CamZ = -20;
    m.TargetZ = -20.0001;
    // From 50 up, 12.8 pixels a table unit: 23 units aside is still in the
    // picture, 28 aside or 20 below is not.
    const std::pair<double, double> at[] = {{300, 200.001}, {300, 200.001}, {580, 200}, {300, 400}};
    for (int k = 1; k <= 4; ++k) {
        std::tie(m.Gobla(k).Xpos, m.Gobla(k).Ypos) = at[k - 1];
        m.Gobla(k).Life = kTrue;
    }
    m.Gobla(1).RName = "Омон1";
    m.Gobla(2).Life = kFalse;
    m.Gobla(5).Life = kTrue; // not a player slot
    auto v = PlaceNameLabels(m);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_TRUE(std::abs(v[0].x - 305) <= 1 && std::abs(v[0].y - 200) <= 1) << v[0].x << v[0].y;
    EXPECT_EQ(std::tuple(v[0].text, v[0].label), std::tuple("Омон1", true));
    // Near the edge the label stands where it falls, its text running off the picture.
    m.Gobla(1).Xpos = 300 + 230;
    v = PlaceNameLabels(m);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_NEAR(std::abs(v[0].x - 305), 230 * 1.28, 1);
    m.Gobla(1).Xpos = m.Gobla(3).Xpos = 300; // all back in sight
    m.Gobla(4).Ypos = 200;
    m.TargetZ = -20; // straight down: the side vector (0, 0, 1) keeps it finite
    EXPECT_EQ(PlaceNameLabels(m).size(), 3u);
    m.CamX = 0;
    m.CamY = m.TargetY = 0.5;
    m.TargetX = -10;
    EXPECT_TRUE(PlaceNameLabels(m).empty());
}

TEST(Overlay, StatusLineShowsTheTogglesAndManualCameraTheCrosshair) {
    Rig r(2);
    r.Start();
    auto v = r.s->Overlay();
    EXPECT_NE(TextAt(v, 10, 10).find("[F3:Имена<вкл>]"), std::string::npos);
    EXPECT_EQ(TextAt(v, 20, 480 - 70), "Ходит игрок Омон1");
    r.s->KeyDown(Key::F3);
    EXPECT_NE(TextAt(r.s->Overlay(), 10, 10).find("[F3:Имена<выкл>]"), std::string::npos);
    EXPECT_EQ(TextAt(v, 310, 230), "<none>");
    r.Press(Scan::Left);
    EXPECT_EQ(TextAt(r.s->Overlay(), 310, 230), "><");
}

} // namespace
} // namespace kv::test
