// Camera keys and following, and the text drawn over the picture.
#include "MatchRig.h"

#include "match/NameLabels.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace kv::test {
namespace {

const TextItem* Find(const std::vector<TextItem>& v, int x, int y) {
    auto it =
        std::find_if(v.begin(), v.end(), [&](const TextItem& t) { return t.x == x && t.y == y; });
    return it == v.end() ? nullptr : &*it;
}

TEST(Camera, LookAtHeightLimits) {
    Rig r(2);
    r.Start();
    r.m.TargetY = 99;
    r.kb.Hold(Scan::PageUp);
    r.KbTicks(1);
    EXPECT_DOUBLE_EQ(r.m.TargetY, 100);
    EXPECT_EQ(r.m.HintText, "Ручная настройка камеры: вверх (y=100)");
    EXPECT_EQ(r.s->CamFollow(), -1);
    r.m.HintText.clear();
    r.KbTicks(5);
    EXPECT_DOUBLE_EQ(r.m.TargetY, 100);
    EXPECT_TRUE(r.m.HintText.empty()); // no hint at the limit
    r.kb.ReleaseAll();
    r.kb.Hold(Scan::PageDown);
    r.KbTicks(1);
    EXPECT_DOUBLE_EQ(r.m.TargetY, 99);
    EXPECT_EQ(r.m.HintText, "Ручная настройка камеры: вниз (y=99)");
}

TEST(Camera, KeypadPlusStopsPerAxis) {
    Rig r(2);
    r.Start();
    r.m.CamX = 32;
    r.m.TargetX = 30;
    r.m.CamZ = 20;
    r.m.TargetZ = -20;
    r.kb.Hold(Scan::KpPlus);
    r.KbTicks(1);
    EXPECT_DOUBLE_EQ(r.m.CamX, 32); // |dx| = 2: no closer in x
    EXPECT_DOUBLE_EQ(r.m.CamZ, -20 + 0.95 * 40);
    EXPECT_DOUBLE_EQ(r.scene.camera[2], r.m.CamZ);
    r.kb.ReleaseAll();
    // Keypad 8 at the top does nothing; below it raises the camera and the height to return to.
    r.m.CamY = 100;
    r.kb.Hold(Scan::Kp8);
    r.KbTicks(1);
    EXPECT_DOUBLE_EQ(r.m.CamY, 100);
    r.m.CamY = 50;
    r.KbTicks(1);
    EXPECT_DOUBLE_EQ(r.m.CamY, 51);
    EXPECT_EQ(r.s->CamHeight(), 51);
}

TEST(Camera, OrbitKeepsTheDistance) {
    Rig r(2);
    r.Start();
    r.m.CamX = -50;
    r.m.CamZ = -20;
    r.m.TargetX = 30;
    r.m.TargetZ = -20;
    r.kb.Hold(Scan::Kp6);
    r.KbTicks(1);
    EXPECT_NEAR(std::hypot(r.m.CamX - 30, r.m.CamZ + 20), 80, 1e-9);
    EXPECT_EQ(r.scene.lookAt.back(), kLookAtCenter);
}

TEST(Camera, FollowingWrapsAndFallsBackToTheCentre) {
    Rig r(3);
    r.Start();
    r.m.Gobla(3).RName = "Третий";
    r.s->KeyDown(Key::BracketRight); // from the centre: the current player
    EXPECT_EQ(r.s->CamFollow(), 1);
    r.s->KeyDown(Key::BracketRight);
    EXPECT_EQ(r.s->CamFollow(), 2);
    r.m.Gobla(1).Life = kFalse;
    r.s->KeyDown(Key::BracketRight);
    EXPECT_EQ(r.s->CamFollow(), 3);
    EXPECT_EQ(r.m.HintText, "Камера смотрит на: игрока Третий");
    r.s->KeyDown(Key::BracketRight); // wraps past the perished first player
    EXPECT_EQ(r.s->CamFollow(), 2);
    r.s->KeyDown(Key::BracketLeft);
    EXPECT_EQ(r.s->CamFollow(), 3);
    EXPECT_TRUE(r.clock.Enabled(TimerId::Cam));
    EXPECT_EQ(r.clock.Interval(TimerId::Cam), 20);
    r.clock.Advance(*r.s, 20);
    EXPECT_DOUBLE_EQ(r.m.TargetX, 3); // 30/10
    EXPECT_DOUBLE_EQ(r.m.TargetY, -2);
    EXPECT_DOUBLE_EQ(r.m.TargetZ, -37); // -370/10
    EXPECT_FALSE(r.clock.Enabled(TimerId::Cam));

    for (int i = 1; i <= 3; ++i)
        r.m.Gobla(i).Life = kFalse;
    r.s->KeyDown(Key::BracketRight);
    EXPECT_EQ(r.s->CamFollow(), 0);
    EXPECT_EQ(r.m.HintText, "Камера смотрит на: центр стола");
}

TEST(Camera, PerishOfTheFollowedPieceTurnsToTheCentre) {
    Rig r(2);
    r.Start();
    r.s->KeyDown(Key::BracketRight);
    ASSERT_EQ(r.s->CamFollow(), 1);
    r.s->PiecePerished(2);
    EXPECT_EQ(r.s->CamFollow(), 1);
    r.s->PiecePerished(1);
    EXPECT_EQ(r.s->CamFollow(), 0);
    r.clock.Advance(*r.s, 20);
    EXPECT_DOUBLE_EQ(r.m.TargetX, 30);
    EXPECT_DOUBLE_EQ(r.m.TargetZ, -20);
}

TEST(Camera, LimitsEndTheTickBeforeTheShortcuts) {
    Rig r(2);
    r.Start();
    r.m.CamX = r.m.TargetX + 1500; // too far to move away
    r.kb.Hold(Scan::KpMinus);
    r.kb.Hold(Scan::M);
    r.KbTicks(1);
    EXPECT_EQ(r.s->Strikes(), 0);
    EXPECT_DOUBLE_EQ(r.m.CamX, r.m.TargetX + 1500);
    r.kb.ReleaseAll();
    // Camera on its look-at point: "forward" has no direction and ends the tick too.
    r.m.CamX = r.m.TargetX;
    r.m.CamZ = r.m.TargetZ;
    r.kb.Hold(Scan::Up);
    r.kb.Hold(Scan::M);
    r.KbTicks(1);
    EXPECT_EQ(r.s->Strikes(), 0);
    r.kb.ReleaseAll();
    r.kb.Hold(Scan::M);
    r.KbTicks(1);
    EXPECT_EQ(r.s->Strikes(), 1);
}

TEST(Camera, FollowsTheMovingPieceOnceTheGoalIsReached) {
    Rig r(2);
    r.Start();
    r.s->KeyDown(Key::BracketRight);
    r.clock.Advance(*r.s, 20); // goal reached
    r.kb.Hold(Scan::Space);
    r.KbTicks(10);
    r.kb.ReleaseAll();
    r.s->KeyUp(Key::Space);
    r.Fire(TimerId::Run, 5);
    EXPECT_DOUBLE_EQ(r.m.TargetX, r.m.Gobla(1).Xpos / 10);
    EXPECT_DOUBLE_EQ(r.m.TargetZ, -r.m.Gobla(1).Ypos / 10);
    EXPECT_DOUBLE_EQ(r.m.TargetY, -2);
    EXPECT_EQ(r.s->PhysicsTicks(), 5);
}

TEST(NameLabels, ProjectionFromAbove) {
    Module1 m;
    m.ScreenW = 640;
    m.ScreenH = 480;
    m.MaxGamers = 2;
    m.CamX = 30;
    m.CamY = 50;
    m.CamZ = -20;
    m.TargetX = 30;
    m.TargetY = 0;
    m.TargetZ = -20.0001;
    m.Gobla(1) = GoblaRec{};
    m.Gobla(1).Xpos = 300;
    m.Gobla(1).Ypos = 200.001;
    m.Gobla(1).Life = kTrue;
    m.Gobla(1).RName = "Омон1";
    m.Gobla(2).Life = kFalse;
    m.Gobla(3).Life = kTrue; // not a player slot
    auto v = PlaceNameLabels(m);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_NEAR(v[0].x, 305, 1);
    EXPECT_NEAR(v[0].y, 200, 1);
    EXPECT_EQ(v[0].text, "Омон1");

    // Straight down: the side vector (0, 0, 1) keeps the projection finite.
    m.TargetZ = -20;
    v = PlaceNameLabels(m);
    ASSERT_EQ(v.size(), 1u);

    // A piece behind the camera gets no label.
    m.CamX = 0;
    m.CamY = 0.5;
    m.CamZ = -20;
    m.TargetX = -10;
    m.TargetY = 0.5;
    m.TargetZ = -20;
    EXPECT_TRUE(PlaceNameLabels(m).empty());
}

TEST(Overlay, StatusLineAndLines) {
    Rig r(2);
    r.Start();
    auto v = r.s->Overlay();
    const TextItem* st = Find(v, 10, 10);
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(st->text, "[F1:Помощь]  [F3:Имена<вкл>]  [F4:Сохранить]  [F6:Пауза <выкл>]  "
                        "[F7:Стрелка <вкл>]  [F8:Звук <вкл>]  [F9/[,]:Камера]");
    ASSERT_NE(Find(v, 20, 480 - 70), nullptr);
    EXPECT_EQ(Find(v, 20, 480 - 70)->text, "Ходит игрок Омон1");
    EXPECT_EQ(Find(v, 20, 480 - 40)->text, r.m.StatusText);
    EXPECT_EQ(Find(v, 20, 480 - 20)->text, r.m.HintText);
    EXPECT_EQ(Find(v, 310, 230), nullptr); // no crosshair
    r.kb.Hold(Scan::Left);
    r.KbTicks(1);
    v = r.s->Overlay();
    ASSERT_NE(Find(v, 310, 230), nullptr);
    EXPECT_EQ(Find(v, 310, 230)->text, "><");

    Rig p(2);
    p.s->SetReplayMode(true);
    p.m.IsCompHOD = kTrue;
    p.m.Sound = kFalse;
    p.m.NamesShown = kFalse;
    p.replay.toRead.push_back({StrikeRecord{}, 0});
    p.Start();
    p.s->KeyDown(Key::F3);
    EXPECT_EQ(p.s->StatusLine(),
              "[F1:Помощь]  [F3:Имена<выкл>]  [F6:Пауза <вкл>]  [F8:Звук <выкл>]  [F9/[,]:Камера]");
}

TEST(Overlay, HelpPageAndExitQuestion) {
    Rig r(2);
    r.m.HelpText = "Первая\r\n\r\nВторая\r\n\r\n";
    r.Start();
    r.s->KeyDown(Key::Escape);
    r.s->KeyDown(Key::Escape);
    r.s->KeyDown(Key::F1);
    r.s->KeyDown(Key::Escape);
    auto v = r.s->Overlay();
    // No status line, names or crosshair under the help; the final break makes no line.
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ(v[0].text, "Справка:");
    EXPECT_EQ(v[1].text, "Первая");
    EXPECT_EQ(v[1].y, 50);
    EXPECT_EQ(v[2].text, "");
    EXPECT_EQ(v[3].text, "Вторая");
    EXPECT_EQ(v[3].y, 90);
    EXPECT_EQ(v[4].text, "Чтобы вернуться к игре, нажмите F1...");
    EXPECT_EQ(v[4].y, 440);
    EXPECT_TRUE(v[5].big);
    EXPECT_EQ(v[5].text, "Выйти из игры? (Y/N)");
    EXPECT_EQ(v[5].x, 40);
    EXPECT_EQ(v[5].y, 30);
}

TEST(Overlay, TextColourKeys) {
    Rig r(2);
    r.Start();
    r.m.TextColour = 15;
    r.s->KeyDown(Key::Greater);
    EXPECT_EQ(r.m.TextColour, 0);
    r.m.TextColour = 1;
    r.s->KeyDown(Key::Less);
    EXPECT_EQ(r.m.TextColour, 15);
    r.s->KeyDown(Key::Less);
    EXPECT_EQ(r.m.TextColour, 14);
}

} // namespace
} // namespace kv::test
