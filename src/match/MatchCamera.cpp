// Aiming marks and the camera: turning, climbing, following a piece, gliding.
#include "match/MatchScreen.h"

#include "match/MatchShared.h"
#include "state/ExactMath.h"
#include "state/Room.h"
#include "state/SceneUnits.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kv {

using namespace matchtext;

namespace {

// The keys turn the camera by 0.05 radians a tick.
const exact::SinCosPair& KeyTurn() {
    static const exact::SinCosPair turn = exact::SinCos(0.05);
    return turn;
}

} // namespace

// ---------------------------------------------------------------- aiming and camera

void MatchScreen::ShowTarg() {
    m_.StrikeForce = 0;
    // A button still down from the last turn does not aim or charge this one.
    leftHeld_ = rightHeld_ = drawing_ = false;
    p_.scene.ShowBall(true);
    // Start along the camera's view across the table, so "forward" is away from the viewer.
    const double vx = m_.TargetX - m_.CamX;
    const double vz = m_.TargetZ - m_.CamZ;
    strikeDir_ = (vx == 0 && vz == 0) ? 0.0 : exact::Atan2(vx, vz);
    if (m_.ArrowShown != 0) {
        p_.scene.ShowArrow(true);
        p_.scene.TurnArrow(strikeDir_);
    }
    turnPhase_ = TurnPhase::Aim;
    UpdateControl();
}

void MatchScreen::UpdateControl() {
    if (turnPhase_ == TurnPhase::Aim) PlaceAimMarks();
    camHeight_ = RoundI16(m_.CamY);
    NoteAim();
}

void MatchScreen::LookAtCenterFrame() {
    lookAtPiece_ = false;
    p_.scene.PlaceCenter(m_.TargetX, m_.TargetY, m_.TargetZ);
    p_.scene.LookAt(kLookAtCenter);
}

void MatchScreen::TurnToCentre() {
    camFollow_ = 0;
    m_.TargetX = (m_.TargetX + m_.MaxX / 20.0) / 2;
    m_.TargetZ = (m_.TargetZ - m_.MaxY / 20.0) / 2;
    LookAtCenterFrame();
    camGoalX_ = RoundI16(m_.MaxX / 20.0);
    camGoalY_ = -2;
    camGoalZ_ = RoundI16(-m_.MaxY / 20.0);
    EnableTimer(TimerId::Cam, true);
    m_.HintText = kHintCentre;
}

void MatchScreen::FollowStep(int dir) {
    const int n = m_.MaxGamers > kMaxPlayers ? kMaxPlayers : m_.MaxGamers;
    if (n < 1) {
        TurnToCentre();
        return;
    }
    auto wrap = [&](int v) { return v > n ? 1 : (v < 1 ? n : v); };
    int c = camFollow_ == 0 ? wrap(m_.CurG) : wrap(camFollow_ + dir);
    for (int tries = 0; tries < n; ++tries) {
        const GoblaRec& g = m_.Gobla(c);
        if (g.Life != 0) {
            camFollow_ = static_cast<i16>(c);
            m_.TargetX = (m_.TargetX + SceneX(g.Xpos)) / 2;
            m_.TargetZ = (m_.TargetZ + SceneZ(g.Ypos)) / 2;
            LookAtCenterFrame();
            EnableTimer(TimerId::Cam, true);
            camGoalX_ = RoundI16(SceneX(g.Xpos));
            camGoalY_ = -2;
            camGoalZ_ = RoundI16(SceneZ(g.Ypos));
            m_.HintText = "Камера смотрит на: игрока " + g.RName;
            return;
        }
        c = wrap(c + dir);
    }
    TurnToCentre();
}

void MatchScreen::CamTick() {
    EnableTimer(TimerId::Cam, false);
    if (m_.RenderOn == 0) return;
    m_.TargetX = camGoalX_;
    m_.TargetY = camGoalY_;
    m_.TargetZ = camGoalZ_;
    LookAtCenterFrame();
    camGoalY_ = kCamGoalReached;
}

bool MatchScreen::CamLookKeys(const KeyStateTable& k, long dx, long dz) {
    const double c = KeyTurn().cos, s = KeyTurn().sin;
    auto manual = [&](const std::string& hint) {
        camFollow_ = -1;
        LookAtCenterFrame();
        m_.HintText = hint;
    };
    if (Held(k, Scan::Left)) {
        m_.TargetX = m_.CamX - c * dx + s * dz;
        m_.TargetZ = m_.CamZ - s * dx - c * dz;
        manual("ручная настройка камеры: влево");
    } else if (Held(k, Scan::Right)) {
        m_.TargetX = m_.CamX - c * dx - s * dz;
        m_.TargetZ = m_.CamZ + s * dx - c * dz;
        manual("Ручная настройка камеры: вправо");
    } else if (Held(k, Scan::Up) || Held(k, Scan::Down)) {
        const double h = Hypot(static_cast<double>(dx), static_cast<double>(dz));
        if (h == 0) return false;
        if (Held(k, Scan::Up)) {
            m_.TargetX -= dx / h;
            m_.TargetZ -= dz / h;
            manual("Ручная настройка камеры: вперед");
        } else {
            m_.TargetX += dx / h;
            m_.TargetZ += dz / h;
            manual("Ручная настройка камеры: назад");
        }
    } else if (Held(k, Scan::PageUp)) {
        if (m_.TargetY + 1 <= 100) {
            m_.TargetY += 1;
            manual("Ручная настройка камеры: вверх (y=" + NumText(m_.TargetY) + ")");
        }
    } else if (Held(k, Scan::PageDown)) {
        if (m_.TargetY - 1 >= -34) {
            m_.TargetY -= 1;
            manual("Ручная настройка камеры: вниз (y=" + NumText(m_.TargetY) + ")");
        }
    }
    return true;
}

bool MatchScreen::CamPosKeys(const KeyStateTable& k, long dx, long dz) {
    const double c = KeyTurn().cos, s = KeyTurn().sin;
    bool moved = true;
    if (Held(k, Scan::Kp6)) {
        m_.CamX = m_.TargetX + c * dx - s * dz;
        m_.CamZ = m_.TargetZ + s * dx + c * dz;
    } else if (Held(k, Scan::Kp4)) {
        m_.CamX = m_.TargetX + c * dx + s * dz;
        m_.CamZ = m_.TargetZ - s * dx + c * dz;
    } else if (Held(k, Scan::Kp2)) {
        if (m_.CamY <= -34) return false;
        m_.CamY -= 1;
        if (turnPhase_ != TurnPhase::PotFall) camHeight_ = RoundI16(m_.CamY);
    } else if (Held(k, Scan::Kp8)) {
        if (m_.CamY >= 100) return false;
        m_.CamY += 1;
        if (turnPhase_ != TurnPhase::PotFall) camHeight_ = RoundI16(m_.CamY);
    } else if (Held(k, Scan::KpPlus)) {
        if (std::labs(dx) > 2) m_.CamX = m_.TargetX + 0.95 * dx;
        if (std::labs(dz) > 2) m_.CamZ = m_.TargetZ + 0.95 * dz;
        UpdateControl();
    } else if (Held(k, Scan::KpMinus)) {
        if (std::labs(dx) > 1000 || std::labs(dz) > 1000) return false;
        m_.CamX = m_.TargetX + 1.1 * dx;
        m_.CamZ = m_.TargetZ + 1.1 * dz;
        UpdateControl();
    } else {
        moved = false;
    }
    if (moved && Modern()) { // the modern look never leaves the room
        const double c = kRoomClearance;
        m_.CamX = std::clamp(m_.CamX, kRoom.x0 + c, kRoom.x1 - c);
        m_.CamY = std::clamp(m_.CamY, kRoom.y0 + c, kRoom.y1 - c);
        m_.CamZ = std::clamp(m_.CamZ, kRoom.z0 + c, kRoom.z1 - c);
        if (turnPhase_ != TurnPhase::PotFall) camHeight_ = RoundI16(m_.CamY);
    }
    if (moved) {
        p_.scene.PlaceCamera(m_.CamX, m_.CamY, m_.CamZ);
        p_.scene.LookAt(camFollow_ >= 1 ? camFollow_ : kLookAtCenter);
        lookAtPiece_ = camFollow_ >= 1;
    }
    return true;
}

} // namespace kv
