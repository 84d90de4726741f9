// Aiming with the mouse: a click where a table point is drawn turns the strike
// towards it, and what the buttons and the wheel do in which phases. The ray
// itself against the scene's projection: tests/devices/SceneBuildTest.cpp.
#include "MatchRig.h"

#include "match/NameLabels.h"

#include <cmath>
#include <gtest/gtest.h>

namespace kv::test {
namespace {

// Angle between two directions, whatever turns of 2 pi lie between them.
double Apart(double a, double b) {
    return std::fabs(std::remainder(a - b, 2 * 3.14159265358979323846));
}

// The pixel of a table point as the game draws it: a name label put there, less
// the label's offset from the piece.
std::pair<double, double> PixelOf(const Rig& r, double x, double y) {
    Module1 m = r.m;
    m.MaxGamers = 1;
    m.Gobla(1).Life = kTrue;
    m.Gobla(1).Xpos = x;
    m.Gobla(1).Ypos = y;
    const std::vector<TextItem> labels = PlaceNameLabels(m);
    EXPECT_EQ(labels.size(), 1u);
    if (labels.empty()) return {-1, -1};
    return {labels[0].x + 15.0, labels[0].y + 40.0};
}

double DirTowards(const Rig& r, double x, double y) {
    const GoblaRec& g = r.m.Gobla(r.m.CurG);
    return std::atan2(x - g.Xpos, -(y - g.Ypos));
}

TEST(MouseAim, ClickAndDragTurnTheStrikeTowardsThePoint) {
    Rig r(2);
    r.Start();
    for (auto [tx, ty] : {std::pair{450.0, 300.0}, {120.0, 60.0}, {500.0, 100.0}}) {
        const auto [px, py] = PixelOf(r, tx, ty);
        r.s->MouseDown(MouseButton::Left, px, py);
        r.s->MouseUp(MouseButton::Left);
        EXPECT_LT(Apart(r.s->StrikeDir(), DirTowards(r, tx, ty)), 0.1) << tx << " " << ty;
        EXPECT_DOUBLE_EQ(r.scene.arrowAngle, r.s->StrikeDir());
    }
    // Dragging keeps turning it; moving without the button does not.
    const auto [ax, ay] = PixelOf(r, 300, 350);
    const auto [bx, by] = PixelOf(r, 550, 200);
    r.s->MouseDown(MouseButton::Left, ax, ay);
    r.s->MouseMove(bx, by);
    EXPECT_LT(Apart(r.s->StrikeDir(), DirTowards(r, 550, 200)), 0.1);
    r.s->MouseUp(MouseButton::Left);
    r.s->MouseMove(ax, ay);
    EXPECT_LT(Apart(r.s->StrikeDir(), DirTowards(r, 550, 200)), 0.1);
    // From a camera turned with the keypad, and from one turned to a followed piece.
    r.kb.Hold(Scan::Kp6);
    r.KbTicks(20);
    r.kb.ReleaseAll();
    r.s->KeyDown(Key::BracketRight);
    r.Fire(TimerId::Cam);
    r.Press(Scan::Kp8);
    for (auto [tx, ty] : {std::pair{400.0, 250.0}, {80.0, 330.0}}) {
        const auto [px, py] = PixelOf(r, tx, ty);
        r.s->MouseDown(MouseButton::Left, px, py);
        r.s->MouseUp(MouseButton::Left);
        EXPECT_LT(Apart(r.s->StrikeDir(), DirTowards(r, tx, ty)), 0.1) << tx << " " << ty;
    }
}

TEST(MouseAim, AWidePictureAimsWhereItDraws) {
    Rig r(2);
    r.m.PictureW = 1920;
    r.m.PictureH = 1080;
    r.Start();
    for (auto [tx, ty] : {std::pair{450.0, 300.0}, {120.0, 60.0}}) {
        const auto [px, py] = PixelOf(r, tx, ty);
        r.s->MouseDown(MouseButton::Left, px, py);
        EXPECT_LT(Apart(r.s->StrikeDir(), DirTowards(r, tx, ty)), 0.1) << tx;
    }
}

TEST(MouseAim, AClickOffTheTableChangesNothing) {
    Rig r(2);
    r.Start();
    const double d0 = r.s->StrikeDir();
    const auto [px, py] = PixelOf(r, -80, 200);
    r.s->MouseDown(MouseButton::Left, px, py);
    r.s->MouseDown(MouseButton::Left, 320, 0); // the sky
    EXPECT_DOUBLE_EQ(r.s->StrikeDir(), d0);
    EXPECT_FALSE(r.s->AimAt(r.m.MaxX + 1.0, 100));
    EXPECT_FALSE(r.s->AimAt(r.m.Gobla(1).Xpos, r.m.Gobla(1).Ypos));
    EXPECT_DOUBLE_EQ(r.s->StrikeDir(), d0);
}

TEST(MouseAim, WheelStepsAsTheKeypadAndTheRightButtonAsSpace) {
    Rig wheel(2), keys(2);
    wheel.Start();
    keys.Start();
    wheel.s->MouseWheel(3);
    keys.kb.Hold(Scan::Kp1);
    keys.KbTicks(3);
    keys.kb.ReleaseAll();
    EXPECT_DOUBLE_EQ(wheel.s->PointAngle(), keys.s->PointAngle());
    wheel.s->MouseWheel(-1);
    keys.Press(Scan::Kp3);
    EXPECT_DOUBLE_EQ(wheel.s->PointAngle(), keys.s->PointAngle());
    EXPECT_EQ(wheel.scene.ball, keys.scene.ball);

    wheel.s->MouseDown(MouseButton::Right, 0, 0);
    wheel.KbTicks(10);
    EXPECT_EQ(std::tuple(wheel.s->Phase(), wheel.m.StrikeForce), std::tuple(TurnPhase::Charge, 20));
    wheel.s->MouseWheel(1); // charging is no longer aiming
    EXPECT_DOUBLE_EQ(wheel.s->PointAngle(), keys.s->PointAngle());
    wheel.s->MouseUp(MouseButton::Right);
    EXPECT_EQ(std::tuple(wheel.s->Phase(), wheel.s->Strikes()), std::tuple(TurnPhase::Struck, 1));

    // Struck with SPACE while the right button is down: the next turn starts clean.
    Rig both(2);
    both.Start();
    both.s->MouseDown(MouseButton::Right, 0, 0);
    both.Charge(5);
    ASSERT_EQ(both.s->Strikes(), 1);
    both.Settle();
    ASSERT_EQ(std::tuple(both.m.CurG, both.s->Phase()), std::tuple(2, TurnPhase::Aim));
    both.KbTicks(5);
    both.s->MouseUp(MouseButton::Right);
    EXPECT_EQ(std::tuple(both.s->Phase(), both.m.StrikeForce, both.s->Strikes()),
              std::tuple(TurnPhase::Aim, 0, 1));
}

TEST(MouseAim, NothingOutsideAHumansAimPhase) {
    Rig comp(2, true), replay(2), asked(2), charging(2);
    comp.m.IsCompHOD = kTrue; // the computer waits in its aim phase
    replay.Playback({{{0, 0, 10}, 0}});
    for (Rig* r : {&comp, &replay, &asked, &charging})
        r->Start();
    asked.s->KeyDown(Key::Escape);
    charging.kb.Hold(Scan::Space);
    charging.KbTicks(2);
    for (Rig* r : {&comp, &replay, &asked, &charging}) {
        const double d0 = r->s->StrikeDir(), a0 = r->s->PointAngle();
        const long strikes = r->s->Strikes();
        const i16 force = r->m.StrikeForce;
        const auto [px, py] = PixelOf(*r, 500, 350);
        r->s->MouseDown(MouseButton::Left, px, py);
        r->s->MouseWheel(2);
        r->s->MouseDown(MouseButton::Right, px, py);
        r->s->MouseUp(MouseButton::Right);
        EXPECT_EQ(std::tuple(r->s->StrikeDir(), r->s->PointAngle(), r->s->Strikes()),
                  std::tuple(d0, a0, strikes));
        if (r != &charging) { // there SPACE itself goes on charging
            r->KbTicks(3);
            EXPECT_EQ(r->m.StrikeForce, force);
        }
    }
}

TEST(MouseAim, DrawingBackFromThePieceChargesAndStrikesAwayFromTheMouse) {
    Rig modern(2), classic(2);
    classic.m.Graphics = kGraphicsClassic;
    for (Rig* r : {&modern, &classic}) {
        r->Start();
        const GoblaRec g = r->m.Gobla(1);
        const auto [px, py] = PixelOf(*r, g.Xpos, g.Ypos);
        r->s->MouseDown(MouseButton::Left, px, py);
        const auto [bx, by] = PixelOf(*r, g.Xpos - 60, g.Ypos - 80); // 100 back
        r->s->MouseMove(bx, by);
    }
    // Half the full draw beyond the rim: the force of 40, the bar a fifth short of half.
    EXPECT_EQ(std::tuple(modern.s->Phase(), modern.m.StrikeForce),
              std::tuple(TurnPhase::Charge, 40));
    EXPECT_NEAR(Apart(modern.s->StrikeDir(), std::atan2(60.0, -80.0)), 0, 0.05);
    modern.KbTicks(1);
    EXPECT_FLOAT_EQ(modern.s->Look().force, 0.4f);
    modern.s->MouseUp(MouseButton::Left);
    EXPECT_EQ(std::tuple(modern.s->Phase(), modern.replay.written.at(0).strike.si),
              std::tuple(TurnPhase::Struck, 40));
    modern.KbTicks(1);
    EXPECT_EQ(modern.s->Look().force, -1.f); // the bar goes with the strike
    // The classic look only aims: towards the mouse, and nothing is struck.
    classic.s->MouseUp(MouseButton::Left);
    EXPECT_EQ(std::tuple(classic.s->Phase(), classic.s->Strikes()), std::tuple(TurnPhase::Aim, 0));

    // Let go on the piece itself, nothing is struck.
    Rig r(2);
    r.Start();
    const auto [px, py] = PixelOf(r, r.m.Gobla(1).Xpos, r.m.Gobla(1).Ypos);
    r.s->MouseDown(MouseButton::Left, px, py);
    r.s->MouseUp(MouseButton::Left);
    EXPECT_EQ(std::tuple(r.s->Phase(), r.s->Strikes()), std::tuple(TurnPhase::Aim, 0));
}

} // namespace
} // namespace kv::test
