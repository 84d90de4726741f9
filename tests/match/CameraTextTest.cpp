// Camera keys and following, and the text drawn over the picture.
#include "MatchRig.h"

#include "match/MatchShared.h"
#include "match/NameLabels.h"
#include "screens/HelpText.h"
#include "state/Picture.h"
#include "state/Room.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

namespace kv::test {
namespace {

std::string TextAt(const std::vector<TextItem>& v, int x, int y) {
    auto it =
        std::find_if(v.begin(), v.end(), [&](const TextItem& t) { return t.x == x && t.y == y; });
    return it == v.end() ? "<none>" : it->text;
}

// The camera keys stop at their limits: the look-at height at 100, the zoom at
// the look-at point, the raise at the top; the orbit keeps the distance.
TEST(Picture, TheModernLookFillsWhatShowsItAndTheClassicDrawsItsMode) {
    Module1 m;
    std::tie(m.ScreenW, m.ScreenH, m.Graphics, m.Windowed) = std::tuple(1024, 768, 0, kFalse);
    auto size = [&m](PixelSize screen, PixelSize window) {
        const PixelSize p = MatchPictureSize(m, screen, window);
        return std::pair(p.w, p.h);
    };
    const PixelSize hd{1920, 1080}, box{900, 500};
    EXPECT_EQ(size(hd, box), std::pair(1024, 768));
    m.Graphics = kGraphicsModern;
    EXPECT_EQ(size(hd, box), std::pair(1920, 1080)) << "a classic mode: the screen's own";
    EXPECT_EQ(size({}, box), std::pair(1024, 768)) << "no screen known: the mode";
    std::tie(m.ScreenW, m.ScreenH) = std::tuple(1280, 720);
    EXPECT_EQ(size(hd, box), std::pair(1280, 720));
    EXPECT_EQ(size({1920, 1200}, box), std::pair(1280, 800)) << "taller screen: taller picture";
    EXPECT_EQ(size({2560, 1080}, box), std::pair(1707, 720)) << "wider screen: wider picture";
    m.Windowed = kTrue;
    EXPECT_EQ(size(hd, box), std::pair(900, 500));
    EXPECT_EQ(size(hd, {0, 0}), std::pair(1280, 720));
}

TEST(Camera, KeysStopAtTheirLimitsAndTheOrbitKeepsTheDistance) {
    Rig r(2);
    r.Start();
    r.m.TargetY = 99;
    r.kb.Hold(Scan::PageUp);
    r.KbTicks(6);
    EXPECT_EQ(std::tuple(r.m.TargetY, r.s->CamFollow()), std::tuple(100.0, -1)); // manual
    r.kb.ReleaseAll();
    r.m.CamX = 32;
    r.m.TargetX = 30;
    r.Press(Scan::KpPlus);
    EXPECT_DOUBLE_EQ(r.m.CamX, 32); // |dx| = 2: no closer in x
    EXPECT_DOUBLE_EQ(r.scene.camera[2], r.m.CamZ);
    r.m.CamY = 100;
    r.Press(Scan::Kp8);
    EXPECT_DOUBLE_EQ(r.m.CamY, 100);
    r.m.CamX = -50;
    r.m.CamZ = r.m.TargetZ = -20;
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

TEST(Camera, TheModernCameraStaysInTheRoomAndNamesHideBehindWhatStandsBetween) {
    Rig modern(2), classic(2);
    classic.m.Graphics = kGraphicsClassic;
    for (Rig* r : {&modern, &classic}) {
        r->Start();
        r->kb.Hold(Scan::KpMinus); // backwards, out through the wall
        r->KbTicks(60);
    }
    const RoomBox& b = kRoom;
    EXPECT_TRUE(modern.m.CamX >= b.x0 && modern.m.CamX <= b.x1 && modern.m.CamZ >= b.z0 &&
                modern.m.CamZ <= b.z1);
    EXPECT_DOUBLE_EQ(modern.scene.camera[0], modern.m.CamX);
    EXPECT_LT(classic.m.CamX, b.x0); // the classic camera goes where it is driven

    auto names = [](Module1 m, double x, double y, double z, i16 graphics) {
        std::tie(m.Graphics, m.CamX, m.CamY, m.CamZ) = std::tuple(graphics, x, y, z);
        std::tie(m.TargetX, m.TargetY, m.TargetZ) = std::tuple(30.0, 0.0, -20.0);
        return PlaceNameLabels(m).size();
    };
    Module1 m = modern.m;
    EXPECT_EQ(names(m, -50, 40, -20, kGraphicsModern), 2u);
    EXPECT_EQ(names(m, -250, 40, -20, kGraphicsModern), 0u); // outside the room
    EXPECT_EQ(names(m, -20, -10, -20, kGraphicsModern), 0u); // under the table
    EXPECT_GT(names(m, -20, -10, -20, kGraphicsClassic), 0u);
    // Level with the table beyond its near edge, the ruler along it stands between.
    m.Border = kTrue;
    m.BordMode = 1;
    EXPECT_EQ(names(m, 30, 0.5, 80, kGraphicsModern), 0u);
    m.Border = kFalse;
    EXPECT_EQ(names(m, 30, 0.5, 80, kGraphicsModern), 2u);
}

TEST(Overlay, StatusLineShowsTheTogglesAndManualCameraTheCrosshair) {
    Rig r(2);
    r.m.Graphics = kGraphicsClassic; // the classic look's own places
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

// Letters other than blanks: what a layout must neither lose nor invent.
long Letters(const std::string& s) {
    return std::count_if(s.begin(), s.end(), [](unsigned char c) {
        return c != ' ' && c != '\r' && c != '\n' && (c & 0xC0) != 0x80;
    });
}

TEST(Overlay, TheModernTextFitsThePictureAndNoTwoLinesMeet) {
    for (auto [W, H] : {std::pair<i16, i16>{640, 480}, {1920, 1080}}) {
        Rig r(8);
        r.m.ScreenW = W;
        r.m.ScreenH = H;
        r.m.HelpText = ComposeHelpText();
        for (int i = 1; i <= 8; ++i)
            r.m.Gobla(i).RName = "Игрок с очень длинным именем " + std::to_string(i);
        r.Start();
        r.m.HintText = "Ошибка при сохранении игры в файл "
                       "/home/player/.local/share/kvelmar2/очень/длинный/путь/game1.zvr";
        const EstimatedTextMetrics tm(H); // what the screen measures with when not told
        // Letters shown in lines (no labels), each line inside the picture, none meeting
        // another; the names of pieces standing close never meet either.
        auto shown = [&] {
            std::string text;
            std::vector<std::array<int, 4>> boxes, names;
            for (const TextItem& t : r.s->Overlay()) {
                const std::array<int, 4> b{t.x, t.y, t.x + tm.Advance(t.text, t.big),
                                           t.y + tm.LineSpacing(t.big)};
                for (const auto& o : t.label ? names : boxes)
                    EXPECT_FALSE(b[0] < o[2] && o[0] < b[2] && b[1] < o[3] && o[1] < b[3])
                        << W << t.text;
                (t.label ? names : boxes).push_back(b);
                if (t.label) continue;
                EXPECT_TRUE(b[0] >= 0 && b[1] >= 0 && b[2] <= W && b[3] <= H) << W << t.text;
                text += t.text;
            }
            return Letters(text);
        };
        EXPECT_EQ(shown(), Letters(r.s->StatusLine() + "Ходит игрок " + r.m.Gobla(1).RName +
                                   r.m.StatusText + r.m.HintText));
        r.s->KeyDown(Key::F1);
        EXPECT_EQ(shown(), Letters(r.m.HelpText + matchtext::kHelpDrawBack +
                                   "Справка:Чтобы вернуться к игре, нажмите F1..."));
        r.s->KeyDown(Key::F1);
        r.s->KeyDown(Key::Escape);
        ASSERT_TRUE(r.s->ExitAsk());
        const auto asked = r.s->Overlay();
        EXPECT_TRUE(std::any_of(asked.begin(), asked.end(), [&](const TextItem& t) {
            return t.big && t.x > W / 4 && t.y > H / 3 && t.y < H / 2;
        })) << "the exit question stands in the middle";
    }
}

} // namespace
} // namespace kv::test
