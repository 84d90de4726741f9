// Aiming with the mouse: the left button turns the strike towards the table point
// under it, the wheel moves the strike point, the right button charges and strikes.
#include "match/MatchScreen.h"

#include "match/MatchShared.h"
#include "state/ExactMath.h"
#include "state/SceneUnits.h"

#include <cmath>

namespace kv {

CameraView MatchScreen::View() const {
    CameraView v{m_.CamX, m_.CamY, m_.CamZ, m_.TargetX, m_.TargetY, m_.TargetZ};
    if (lookAtPiece_ && camFollow_ >= 1 && camFollow_ <= kPieceSlots) {
        const GoblaRec& g = m_.Gobla(camFollow_);
        v.lookX = SceneX(g.Xpos);
        v.lookY = 0;
        v.lookZ = SceneZ(g.Ypos);
    }
    return v;
}

bool MatchScreen::MouseMayAim() const {
    return m_.RenderOn != 0 && !replayMode_ && !exitAsk_ && !gameOver_ &&
           turnPhase_ == TurnPhase::Aim && m_.Gobla(m_.CurG).CompControl == 0;
}

bool MatchScreen::AimAt(double tableX, double tableY) {
    if (!MouseMayAim()) return false;
    if (!(tableX >= 0 && tableX <= m_.MaxX && tableY >= 0 && tableY <= m_.MaxY)) return false;
    const GoblaRec& g = m_.Gobla(m_.CurG);
    const double dx = tableX - g.Xpos, dy = tableY - g.Ypos;
    if (dx == 0 && dy == 0) return false; // the piece's own centre has no direction
    // The strike pushes along (sin b, -cos b).
    strikeDir_ = exact::Atan2(dx, -dy);
    p_.scene.TurnArrow(strikeDir_);
    UpdateControl();
    return true;
}

namespace {

// Drawn this far beyond the piece's rim (table units), the force is full.
constexpr double kFullDraw = 200;

} // namespace

void MatchScreen::DrawBack(double tableX, double tableY) {
    const GoblaRec& g = m_.Gobla(m_.CurG);
    const double dx = tableX - g.Xpos, dy = tableY - g.Ypos;
    const double beyond = std::hypot(dx, dy) - m_.PieceRadius;
    i16 force = 0;
    if (beyond > 0) {
        strikeDir_ = exact::Atan2(-dx, dy); // away from the mouse
        p_.scene.TurnArrow(strikeDir_);
        // In the keyboard's steps of two.
        force = static_cast<i16>(2 * std::lround(std::min(beyond / kFullDraw, 1.0) * 50));
    }
    m_.StrikeForce = force;
    m_.StatusText = "Сила удара: " + std::to_string(force);
}

void MatchScreen::MouseDown(MouseButton b, double px, double py) {
    if (!MouseMayAim()) return;
    if (b == MouseButton::Right) {
        rightHeld_ = true;
        return;
    }
    double x = 0, y = 0;
    const bool onTable =
        TablePointAt(View(), PictureWidth(m_), PictureHeight(m_), PictureFocal(m_), px, py, x, y);
    const GoblaRec& g = m_.Gobla(m_.CurG);
    if (Modern() && onTable && std::hypot(x - g.Xpos, y - g.Ypos) <= 1.5 * m_.PieceRadius) {
        drawing_ = true;
        turnPhase_ = TurnPhase::Charge;
        DrawBack(x, y);
        return;
    }
    leftHeld_ = true;
    MouseMove(px, py);
}

void MatchScreen::MouseMove(double px, double py) {
    if (!leftHeld_ && !drawing_) return;
    double x = 0, y = 0;
    if (!TablePointAt(View(), PictureWidth(m_), PictureHeight(m_), PictureFocal(m_), px, py, x, y))
        return;
    if (!drawing_)
        AimAt(x, y);
    else if (turnPhase_ == TurnPhase::Charge)
        DrawBack(x, y);
}

void MatchScreen::MouseUp(MouseButton b) {
    if (b == MouseButton::Left) {
        leftHeld_ = false;
        if (!drawing_) return;
        drawing_ = false;
        if (m_.RenderOn == 0 || exitAsk_ || turnPhase_ != TurnPhase::Charge) return;
        if (m_.StrikeForce > 0) {
            HideAim();
            PreSilaApply();
        } else { // let go on the piece: no strike, aim again
            turnPhase_ = TurnPhase::Aim;
            m_.StatusText = matchtext::kStatusHumanTurn;
        }
        return;
    }
    if (!rightHeld_) return;
    rightHeld_ = false;
    if (m_.RenderOn == 0 || exitAsk_ || replayMode_) return;
    if (turnPhase_ == TurnPhase::Charge) {
        HideAim();
        PreSilaApply();
    }
}

void MatchScreen::MouseWheel(int notches) {
    if (!MouseMayAim()) return;
    const double twoPi = 2 * m_.Pi;
    for (; notches > 0; --notches) { // as keypad 1
        pointAngle_ += 0.1;
        if (pointAngle_ > twoPi) pointAngle_ -= twoPi;
    }
    for (; notches < 0; ++notches) { // as keypad 3
        pointAngle_ -= 0.1;
        if (pointAngle_ < -twoPi) pointAngle_ += twoPi;
    }
    UpdateControl();
}

} // namespace kv
