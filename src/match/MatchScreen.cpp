#include "match/MatchScreen.h"

#include "match/NameLabels.h"
#include "match/VirtualClock.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kv {

namespace {

const char* const kStatusHumanTurn =
    "Выберите точку и направление удара клавишами 1,3 и 7,9 цифровой клавиатуры.Затем жмите "
    "ПРОБЕЛ!";
const char* const kStatusCompBlind = "Ходит комп!!! Не глядя!!!...";
const char* const kStatusReplay = "Воспроизведение...";
const char* const kHintPauseOff = "Чтобы выключить такую паузу, нажмите F6.";
const char* const kHintCentre = "Камера смотрит на: центр стола";

bool Held(const KeyStateTable& k, int scan) {
    return k[static_cast<std::size_t>(scan)] != 0;
}

// A number as the game writes it everywhere: no trailing zeros, decimal point
// (there are no regional settings to follow).
std::string NumText(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

} // namespace

MatchScreen::MatchScreen(Module1& m, const MatchPorts& ports, Rng& rng)
    : m_(m), p_(ports), rng_(rng) {
    for (int i = 0; i < kTimerCount; ++i)
        p_.timers.SetTimer(static_cast<TimerId>(i), false, interval_[static_cast<std::size_t>(i)]);
}

void MatchScreen::SetReplayMode(bool on) {
    replayMode_ = on;
}

void MatchScreen::EnableTimer(TimerId id, bool on) {
    p_.timers.SetTimer(id, on, interval_[static_cast<std::size_t>(id)]);
}

// ---------------------------------------------------------------- start-up

void MatchScreen::Init() {
    p_.display.SetCaption("Kvelmar II: Zantor Билд" + std::to_string(kBuild) + ": загрузка...");
    busy_ = false;
    p_.dialogs.SetBusy(true);
    // A hand-edited save may name a player that does not exist.
    if (m_.CurNG < 1 || m_.CurNG > kMaxPlayers) m_.CurNG = 1;
    if (m_.CurG < 1 || m_.CurG > kMaxPlayers) m_.CurG = 1;
    m_.NewSgin = 0;
    m_.HintText.clear();

    if (!replayMode_) {
        m_.ReplaySlot =
            static_cast<i16>(m_.ReplaySlot >= 5 || m_.ReplaySlot < 0 ? 1 : m_.ReplaySlot + 1);
        std::string path = p_.saves.StateDir() + "replay" + std::to_string(m_.ReplaySlot) + ".sav";
        if (!p_.replay.StartReplayRecord(path)) {
            // The user chose to end the match rather than play unrecorded.
            m_.RenderOn = kFalse;
            p_.dialogs.SetBusy(false);
            return;
        }
    }

    initFailed_ = false;
    helpShown_ = false;
    gameOver_ = false;
    exitAsk_ = false;
    m_.QuickSaveNo = 0;
    camFollow_ = 0;
    m_.NamesShown = kTrue;
    m_.ArrowShown = kTrue;

    if (!p_.keyboard.InitKeyboard() || !p_.display.InitDisplay() || !p_.scene.BuildScene()) {
        initFailed_ = true;
        m_.RenderOn = kFalse;
        p_.dialogs.SetBusy(false);
        return;
    }

    camHeight_ = RoundI16(m_.CamY);
    if (m_.Sound != 0) p_.sound.PlaySound(rng_.NextInt(4), -10);

    m_.RenderOn = kTrue;
    busy_ = false;
    EnableTimer(TimerId::KeyBoard, true);
    EnableTimer(TimerId::Pause, false);
    pointAngle_ = 0.0;

    GameKernel();
    p_.dialogs.SetBusy(false);
}

// ---------------------------------------------------------------- turn cycle

void MatchScreen::GameKernel() {
    gameOver_ = false;
    m_.StrikeForce = 0;
    turnPhase_ = 1;

    if (replayMode_) {
        m_.StatusText = kStatusReplay;
        if (!ReplayStep()) {
            m_.StatusText = "Конец записи!";
            interval_[static_cast<std::size_t>(TimerId::Exit)] = kExitReplayMs;
            EnableTimer(TimerId::Exit, true);
            gameOver_ = true;
            EnableTimer(TimerId::Pause, false);
            busy_ = false;
        }
        return;
    }

    const GoblaRec& g = m_.Gobla(m_.CurG);
    if (g.CompControl == 0) {
        m_.StatusText = kStatusHumanTurn;
        ShowTarg();
    } else if (m_.IsCompHOD != 0) {
        m_.StatusText = "Ходит комп!!! Нажмите ENTER для продолжения.";
        m_.HintText = kHintPauseOff;
    } else {
        m_.StatusText = kStatusCompBlind;
        if (!HasTarget(m_.CurG)) {
            // Nobody to aim at (a hand-made save): close the turn, which ends the match.
            turnPhase_ = 3;
            busy_ = true;
            EnableTimer(TimerId::Pause, true);
            return;
        }
        m_.CompStrike = ChooseStrike(m_, m_.CurG, strikeDir_);
        pointAngle_ = m_.CompStrike.ba;
        strikeDir_ = m_.CompStrike.pa;
        m_.StrikeForce = m_.CompStrike.si;
        PreSilaApply();
    }
}

bool MatchScreen::HasTarget(i16 p) const {
    if (m_.ZI != 0 && m_.ZI != kTrue) return false;
    const GoblaRec& me = m_.Gobla(p);
    for (int k = 1; k <= m_.MaxGamers && k <= kMaxPlayers; ++k) {
        if (k == p || m_.Gobla(k).Life == 0) continue;
        if (m_.ZI != 0 && m_.Gobla(k).Com == me.Com) continue;
        return true;
    }
    return false;
}

void MatchScreen::RunTick() {
    if (busy_) return;
    busy_ = true;
    if (AllStopped(m_)) {
        EnableTimer(TimerId::Pause, true);
        EnableTimer(TimerId::Run, false);
        m_.StatusText = "Переход хода!";
        return; // Busy stays set until the next strike
    }
    PhysicsStep(m_, 1.0, this);
    ++physicsTicks_;
    if (camFollow_ >= 1 && camGoalY_ == kCamGoalReached) {
        const GoblaRec& g = m_.Gobla(camFollow_);
        m_.TargetX = g.Xpos / 10;
        m_.TargetZ = -g.Ypos / 10;
        LookAtCenterFrame();
    }
    for (int i = 1; i <= m_.MaxGamers && i <= kMaxPlayers; ++i)
        p_.scene.PlacePiece(i);
    busy_ = false;
}

void MatchScreen::PauseTick() {
    EnableTimer(TimerId::Pause, false);
    m_.HintText.clear();

    if (m_.NewSgin > 0) {
        const int n = m_.NewSgin > 7 ? 7 : m_.NewSgin;
        m_.Gobla(m_.CurG).Sginul = static_cast<i16>(m_.Gobla(m_.CurG).Sginul + n);
        for (int i = 1; i <= n; ++i) {
            int at = m_.CurSgin + i;
            if (at >= 1 && at <= kMaxPlayers) m_.WS(at) = m_.SginList(n - i + 1);
        }
        m_.CurSgin = static_cast<i16>(m_.CurSgin + n);
        if (n >= 2 && m_.UseRoom != 0 && m_.Sound != 0) {
            double dx = m_.MaxX / 10.0 - m_.CamX;
            double dz = 150 - m_.CamZ;
            p_.sound.PlaySound(7, RoundI32(-(dx * dx + dz * dz) / 200));
        }
        m_.NewSgin = 0;
    }

    const i16 T = AliveCount(m_);
    auto appendSurvivors = [&] {
        for (int k = 1; k <= m_.MaxGamers && k <= kMaxPlayers; ++k) {
            if (m_.Gobla(k).Life == 0) continue;
            m_.CurSgin = static_cast<i16>(m_.CurSgin + 1);
            if (m_.CurSgin >= 1 && m_.CurSgin <= kMaxPlayers)
                m_.WS(m_.CurSgin) = static_cast<i16>(k);
        }
    };
    auto teamName = [&](i16 n) -> std::string {
        return n >= 1 && n <= kTeams ? m_.rc(n).ComName : std::string();
    };

    if (m_.ZI != 0) {
        i16 A = 0;
        for (int k = 1; k <= m_.MaxGamers && k <= kMaxPlayers; ++k)
            if (m_.Gobla(k).Life != 0 && m_.Gobla(k).Com == 0) ++A;
        if (T > A && A > 0) {
            PassTurn();
            return;
        }
        if (T == 0) {
            m_.Winner = -1;
            gameOver_ = true;
            m_.StatusText = "Гобла закончена! Все сгинули...";
            m_.RenderOn = kFalse;
            return;
        }
        const i16 team = A == 0 ? m_.N2 : m_.N1;
        appendSurvivors();
        m_.Winner = team;
        gameOver_ = true;
        m_.StatusText = "Гобла закончена! Поздравления команде " + teamName(team) + "!!!";
        FinishWon();
        return;
    }

    if (T == 0) {
        m_.StatusText = "Вы живых не осталось никого...Все сгинули!";
        gameOver_ = true;
        m_.Winner = -1;
        m_.RenderOn = kFalse;
        return;
    }
    if (T == 1) {
        appendSurvivors();
        i16 s = 0;
        for (int k = 1; k <= m_.MaxGamers && k <= kMaxPlayers && s == 0; ++k)
            if (m_.Gobla(k).Life != 0) s = static_cast<i16>(k);
        m_.Winner = s;
        gameOver_ = true;
        m_.StatusText = "Гобла закончена! Поздравления игроку " + m_.Gobla(s).RName + "!!!";
        FinishWon();
        return;
    }
    PassTurn();
}

void MatchScreen::FinishWon() {
    if (m_.Sound != 0) {
        p_.sound.PlaySound(14, -7);
        interval_[static_cast<std::size_t>(TimerId::Exit)] = kExitMs;
        EnableTimer(TimerId::Exit, true);
    } else {
        m_.RenderOn = kFalse;
    }
}

void MatchScreen::PassTurn() {
    const int n = m_.MaxGamers < 1 ? 1 : (m_.MaxGamers > kMaxPlayers ? kMaxPlayers : m_.MaxGamers);
    auto next = [&] {
        m_.CurNG = static_cast<i16>(m_.CurNG + 1);
        if (m_.CurNG > n || m_.CurNG < 1) m_.CurNG = 1;
    };
    auto alive = [&] {
        i16 g = m_.KH(m_.CurNG);
        return g >= 1 && g <= kPieceSlots && m_.Gobla(g).Life != 0;
    };
    next();
    for (int tries = 0; tries < n && !alive(); ++tries)
        next();
    m_.CurG = m_.KH(m_.CurNG);
    if (m_.CurG < 1 || m_.CurG > kPieceSlots) m_.CurG = 1;
    turnPhase_ = 1;
    GameKernel();
}

void MatchScreen::ExitTick() {
    m_.StatusText = "Пожалуйста подождите...";
    m_.RenderOn = kFalse;
    EnableTimer(TimerId::Exit, false);
}

void MatchScreen::Unload() {
    m_.RenderOn = kFalse;
    if (unloaded_) return; // the results screen must not be shown twice
    unloaded_ = true;
    for (int i = 0; i < kTimerCount; ++i)
        EnableTimer(static_cast<TimerId>(i), false);
    p_.display.ShutdownDisplay();
    if (replayMode_) {
        p_.replay.CloseReplayRead();
        p_.screens.ShowLoadBrowser();
    } else {
        p_.replay.CloseReplayRecord();
        p_.screens.ShowResults(gameOver_);
    }
}

void MatchScreen::Tick(TimerId id) {
    switch (id) {
    case TimerId::KeyBoard:
        KeyBoardTick();
        break;
    case TimerId::Run:
        RunTick();
        break;
    case TimerId::Pause:
        PauseTick();
        break;
    case TimerId::Gor:
        GorTick();
        break;
    case TimerId::Cam:
        CamTick();
        break;
    case TimerId::Exit:
        ExitTick();
        break;
    }
}

// ---------------------------------------------------------------- strikes

void MatchScreen::Execute(const StrikeRecord& s) {
    ++strikes_;
    ExecuteStrike(m_, s, *this, rng_);
}

void MatchScreen::PreSilaApply() {
    StrikeRecord s;
    s.ba = SpreadAngle(m_, rng_, pointAngle_);
    s.pa = SpreadAngle(m_, rng_, strikeDir_);
    s.si = SpreadForce(m_, rng_, m_.StrikeForce);
    Execute(s);
}

void MatchScreen::GorApply() {
    ++strikes_;
    turnPhase_ = 6;
    if (m_.Sound != 0) p_.sound.PlaySound(10 + rng_.NextInt(4), -10);
    if (!replayMode_) p_.replay.WriteReplayStep(StrikeRecord{}, m_.StrikeForce);
    busy_ = false;
    potTime_ = 0;
    if (m_.StrikeForce != 0)
        EnableTimer(TimerId::Gor, true);
    else
        EnableTimer(TimerId::Run, true);
}

void MatchScreen::WriteReplayStep(const StrikeRecord& strike, i16 pot) {
    p_.replay.WriteReplayStep(strike, pot);
}

void MatchScreen::PlaySound(int slot, i32 volume) {
    p_.sound.PlaySound(slot, volume);
}

void MatchScreen::StartMotion() {
    busy_ = false;
    EnableTimer(TimerId::Run, true);
}

void MatchScreen::KnockSound() {
    if (m_.Sound != 0) p_.sound.PlaySound(8, -10);
}

void MatchScreen::PiecePerished(i16 k) {
    if (camFollow_ == k && k >= 1) TurnToCentre();
}

void MatchScreen::ShowPotOverCurrent() {
    const GoblaRec& g = m_.Gobla(m_.CurG);
    p_.scene.ShowPot(RoundI16(g.Xpos / 10), RoundI16(-g.Ypos / 10));
}

void MatchScreen::HideAim() {
    if (m_.ArrowShown != 0) p_.scene.ShowArrow(false);
    p_.scene.ShowBall(false);
}

void MatchScreen::CompStrikeNow() {
    m_.StatusText = kStatusCompBlind;
    if (!HasTarget(m_.CurG)) {
        turnPhase_ = 3;
        busy_ = true;
        EnableTimer(TimerId::Pause, true);
        return;
    }
    m_.CompStrike = ChooseStrike(m_, m_.CurG, strikeDir_);
    Execute(m_.CompStrike);
}

bool MatchScreen::ReplayStep() {
    StrikeRecord s;
    i16 pot = 0;
    if (!p_.replay.ReadReplayStep(s, pot)) return false;
    m_.StrikeForce = 0;
    if (m_.IsCompHOD != 0) {
        m_.CompStrike = s;
        m_.StrikeForce = pot;
        m_.StatusText = "Нажмите ENTER!";
        m_.HintText = kHintPauseOff;
    } else if (pot != 0) {
        m_.StrikeForce = pot;
        ShowPotOverCurrent();
        GorApply();
    } else {
        m_.HintText = "Сила удара: " + std::to_string(s.si);
        m_.CompStrike = s;
        Execute(s);
    }
    return true;
}

void MatchScreen::ExecuteLoadedStep() {
    m_.StatusText = kStatusReplay;
    if (m_.StrikeForce != 0) {
        ShowPotOverCurrent();
        GorApply();
    } else {
        Execute(m_.CompStrike);
    }
}

void MatchScreen::GorTick() {
    if (busy_) return;
    busy_ = true;
    const double F = m_.StrikeForce;
    const GoblaRec& cur = m_.Gobla(m_.CurG);
    const i16 px = RoundI16(cur.Xpos / 10);
    const i16 pz = RoundI16(-cur.Ypos / 10);

    if (!(m_.CamY > camHeight_)) {
        const double t = potTime_;
        const double h = 20 - 9.81 * t * t / 2 - F * t;
        if (h > 0.5) {
            potTime_ += kGorMs / 1000.0;
            p_.scene.MovePot(px, pz, potTime_, m_.StrikeForce);
            busy_ = false;
            return;
        }
        // Impact: the camera jolts, the other pieces jump.
        camHeight_ = RoundI16(m_.CamY);
        m_.CamY += F / 100;
        for (int i = 1; i <= m_.MaxGamers && i <= kMaxPlayers; ++i)
            if (i != m_.CurG && m_.Gobla(i).Life != 0) p_.scene.LiftPiece(i, 3 * F / 100);
        potTime_ = 0;
        p_.scene.HidePot();
        p_.scene.PlaceCamera(m_.CamX, m_.CamY, m_.CamZ);
        busy_ = false;
        return;
    }

    // Settling: every other piece is thrown straight away from the striker.
    m_.CamY = camHeight_;
    p_.scene.PlaceCamera(m_.CamX, m_.CamY, m_.CamZ);
    EnableTimer(TimerId::Gor, false);
    const int g = m_.CurG;
    const double P = m_.GPercent;
    const double gx = m_.Gobla(g).Xpos, gy = m_.Gobla(g).Ypos;
    for (int i = 1; i <= m_.MaxGamers && i <= kMaxPlayers; ++i) {
        if (i == g) continue;
        GoblaRec& o = m_.Gobla(i);
        const double d = Hypot(o.Xpos - gx, o.Ypos - gy);
        const double c = Hypot(o.Xpos - m_.MaxX / 2.0, o.Ypos - m_.MaxY / 2.0);
        if (d == 0) {
            // A piece exactly under the pot has no direction to fly in.
            o.Xvec = 0;
            o.Yvec = 0;
            continue;
        }
        o.Xvec = F * P / (d * d) * c * (o.Xpos - gx) / 10;
        o.Yvec = F * P / (d * d) * c * (o.Ypos - gy) / 10;
    }
    m_.Gobla(g).Xvec = 0;
    m_.Gobla(g).Yvec = 0;
    PhysicsStep(m_, 1.0, this);
    for (int i = 1; i <= m_.MaxGamers && i <= kMaxPlayers; ++i) {
        GoblaRec& o = m_.Gobla(i);
        o.Xvec = 0;
        o.Yvec = 0;
        o.U = 0;
        p_.scene.PlacePiece(i);
    }
    busy_ = false;
    EnableTimer(TimerId::Run, true);
}

// ---------------------------------------------------------------- keyboard

void MatchScreen::KeyBoardTick() {
    if (m_.RenderOn == 0 || kbBusy_) return;
    kbBusy_ = true;
    KeyStateTable k{};
    if (!p_.keyboard.ReadKeyboard(k)) k.fill(0);

    const long dx = RoundI32(m_.CamX - m_.TargetX);
    const long dz = RoundI32(m_.CamZ - m_.TargetZ);
    const double twoPi = 2 * m_.Pi;

    // 1. G: the pot strike begins.
    if (Held(k, Scan::G) && (turnPhase_ == 1 || turnPhase_ == 2) && !gameOver_) {
        m_.StatusText = "ГОРШОК активизирован! Жмите пробел длительное время!";
        m_.StrikeForce = 0;
        turnPhase_ = 5;
        p_.scene.ShowArrow(false);
        p_.scene.ShowBall(false);
        ShowPotOverCurrent();
        kbBusy_ = false;
        return;
    }

    const bool space = Held(k, Scan::Space);
    // 2. Pot force.
    if (space && turnPhase_ == 5) {
        if (m_.StrikeForce < 100) m_.StrikeForce = static_cast<i16>(m_.StrikeForce + 2);
        m_.StatusText = "ГОРШОК: Сила " + std::to_string(m_.StrikeForce);
    }
    // 3. Strike force, or the direction keys.
    if (space) {
        if (turnPhase_ == 1 && !gameOver_) turnPhase_ = 2;
        if (turnPhase_ == 2) {
            if (m_.StrikeForce < 100) m_.StrikeForce = static_cast<i16>(m_.StrikeForce + 2);
            m_.StatusText = "Сила удара: " + std::to_string(m_.StrikeForce);
        }
    } else if (turnPhase_ == 1) {
        bool changed = false;
        if (Held(k, Scan::Kp9)) {
            strikeDir_ += 0.1;
            if (strikeDir_ > twoPi) strikeDir_ -= twoPi;
            changed = true;
        } else if (Held(k, Scan::Kp7)) {
            strikeDir_ -= 0.1;
            if (strikeDir_ < -twoPi) strikeDir_ += twoPi;
            changed = true;
        }
        if (changed) {
            p_.scene.TurnArrow(strikeDir_);
            UpdateControl();
        }
    }
    // 4. Strike point, in every phase.
    if (Held(k, Scan::Kp3)) {
        pointAngle_ -= 0.1;
        if (pointAngle_ < -twoPi) pointAngle_ += twoPi;
        UpdateControl();
    } else if (Held(k, Scan::Kp1)) {
        pointAngle_ += 0.1;
        if (pointAngle_ > twoPi) pointAngle_ -= twoPi;
        UpdateControl();
    }
    // 5, 6. Camera.
    if (!CamLookKeys(k, dx, dz) || !CamPosKeys(k, dx, dz)) {
        kbBusy_ = false;
        return;
    }
    // 7. Shortcuts of a human's turn.
    const bool human = m_.Gobla(m_.CurG).CompControl == 0;
    if (turnPhase_ == 1 && human && !gameOver_) {
        if (Held(k, Scan::A)) {
            turnPhase_ = 2;
            HideAim();
            m_.StatusText = "Игрок выбрал АВТОХОД!";
            if (HasTarget(m_.CurG)) {
                m_.CompStrike = ChooseStrike(m_, m_.CurG, strikeDir_);
                pointAngle_ = m_.CompStrike.ba;
                strikeDir_ = m_.CompStrike.pa;
                m_.StrikeForce = m_.CompStrike.si;
                PreSilaApply();
            } else {
                turnPhase_ = 3;
                busy_ = true;
                EnableTimer(TimerId::Pause, true);
            }
        } else if (Held(k, Scan::M)) {
            turnPhase_ = 2;
            p_.scene.ShowArrow(false);
            p_.scene.ShowBall(false);
            m_.StatusText = "Игрок выбрал ХОД с силой 100!";
            m_.StrikeForce = 100;
            PreSilaApply();
        }
    } else if (turnPhase_ == 5 && human && Held(k, Scan::M)) {
        turnPhase_ = 6;
        m_.StatusText = "Игрок выбрал горшок с силой 100!!!";
        m_.StrikeForce = 100;
        GorApply();
    }
    kbBusy_ = false;
}

void MatchScreen::KeyUp(Key key) {
    if (m_.RenderOn == 0 || key != Key::Space) return;
    if (turnPhase_ == 2) {
        HideAim();
        PreSilaApply();
    } else if (turnPhase_ == 5) {
        turnPhase_ = 6;
        GorApply();
    }
}

void MatchScreen::KeyDown(Key key) {
    if (m_.RenderOn == 0) return;

    if (key == Key::Escape) {
        if (exitAsk_) {
            exitAsk_ = false;
        } else {
            exitAsk_ = true;
            bigText_ = "Выйти из игры? (Y/N)";
            bigTextX_ = 40;
            bigTextY_ = 30;
        }
        return;
    }
    if (exitAsk_) {
        if (key == Key::N) {
            exitAsk_ = false;
        } else if (key == Key::Y) {
            m_.RenderOn = kFalse;
            EnableTimer(TimerId::Run, false);
            busy_ = true;
        }
        return;
    }

    const bool computer = m_.Gobla(m_.CurG).CompControl != 0;
    if (key == Key::Enter && turnPhase_ == 1 && !gameOver_) {
        if (!replayMode_ && computer && m_.IsCompHOD != 0)
            CompStrikeNow();
        else if (replayMode_)
            ExecuteLoadedStep();
    }

    if (key == Key::Greater || key == Key::Less) {
        if (key == Key::Greater) {
            m_.TextColour = static_cast<i16>((m_.TextColour + 1) % 16);
        } else {
            m_.TextColour = static_cast<i16>(m_.TextColour - 1);
            if (m_.TextColour <= 0) m_.TextColour = 15;
        }
        return;
    }

    switch (key) {
    case Key::F1:
        helpShown_ = !helpShown_;
        p_.scene.ShowAmbientLight(!helpShown_);
        break;
    case Key::F6:
        if (m_.IsCompHOD != 0) {
            m_.IsCompHOD = kFalse;
            if (!replayMode_) {
                if (turnPhase_ == 1 && computer && !gameOver_) {
                    CompStrikeNow();
                    m_.HintText = "Пауза выключена.";
                }
            } else {
                if (turnPhase_ == 1 && !gameOver_) ExecuteLoadedStep();
                m_.HintText = "Пауза выключена.";
            }
        } else {
            m_.IsCompHOD = kTrue;
            m_.HintText = "Пауза включена.";
        }
        break;
    case Key::F4:
        if (replayMode_) break;
        if (turnPhase_ <= 1) {
            m_.QuickSaveNo = static_cast<i16>(m_.QuickSaveNo + 1);
            if (m_.QuickSaveNo > 100 || m_.QuickSaveNo < 1) m_.QuickSaveNo = 1;
            const std::string path =
                p_.saves.StateDir() + "game" + std::to_string(m_.QuickSaveNo) + ".zvr";
            m_.HintText = "Игра сохранена в " + path + "!";
            p_.saves.SaveGame(path);
        } else {
            m_.HintText = "Сохранять игру можно, когда Гоблы не двигаются. Игра не сохранена!";
        }
        break;
    case Key::F7:
        if (turnPhase_ != 1) break;
        m_.ArrowShown = Flag(m_.ArrowShown == 0);
        p_.scene.ShowArrow(m_.ArrowShown != 0);
        if (m_.ArrowShown != 0) {
            p_.scene.TurnArrow(strikeDir_);
            m_.HintText = "Стрелка показана (F7=Спрятать стрелку)";
        } else {
            m_.HintText = "Стрелка убрана (F7=Показать стрелку)";
        }
        break;
    case Key::F8:
        if (m_.Sound != 0) {
            for (int s = 0; s <= 14; ++s)
                p_.sound.StopSound(s, true);
            m_.Sound = kFalse;
            m_.HintText = "Звук выключен (F8=Включить звук)";
        } else {
            m_.Sound = kTrue;
            m_.HintText = "Звук включен (F8=Выключить звук)";
        }
        break;
    case Key::F3:
        m_.NamesShown = Flag(m_.NamesShown == 0);
        m_.HintText = m_.NamesShown != 0 ? "Имена показаны! (F3=Скрыть имена)"
                                         : "Имена скрыты! (F3=Показать имена)";
        break;
    case Key::F9:
        TurnToCentre();
        break;
    case Key::BracketLeft:
        FollowStep(-1);
        break;
    case Key::BracketRight:
        FollowStep(+1);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- aiming and camera

void MatchScreen::ShowTarg() {
    m_.StrikeForce = 0;
    p_.scene.ShowBall(true);
    // Start along the camera's view across the table, so "forward" is away from the viewer.
    const double vx = m_.TargetX - m_.CamX;
    const double vz = m_.TargetZ - m_.CamZ;
    strikeDir_ = (vx == 0 && vz == 0) ? 0.0 : std::atan2(vx, vz);
    if (m_.ArrowShown != 0) {
        p_.scene.ShowArrow(true);
        p_.scene.TurnArrow(strikeDir_);
    }
    turnPhase_ = 1;
    UpdateControl();
}

void MatchScreen::UpdateControl() {
    if (turnPhase_ == 1) {
        double px = 0, py = 0;
        StrikePoint(m_, m_.Gobla(m_.CurG), pointAngle_, px, py);
        p_.scene.PlaceBall(px / 10, 0.5, -py / 10);
        p_.scene.PlaceArrow(px / 10, 1.0, -py / 10);
    }
    camHeight_ = RoundI16(m_.CamY);
}

void MatchScreen::LookAtCenterFrame() {
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
            m_.TargetX = (m_.TargetX + g.Xpos / 10) / 2;
            m_.TargetZ = (m_.TargetZ - g.Ypos / 10) / 2;
            LookAtCenterFrame();
            EnableTimer(TimerId::Cam, true);
            camGoalX_ = RoundI16(g.Xpos / 10);
            camGoalY_ = -2;
            camGoalZ_ = RoundI16(-g.Ypos / 10);
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
    const double c = std::cos(0.05), s = std::sin(0.05);
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
    const double c = std::cos(0.05), s = std::sin(0.05);
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
        if (turnPhase_ != 6) camHeight_ = RoundI16(m_.CamY);
    } else if (Held(k, Scan::Kp8)) {
        if (m_.CamY >= 100) return false;
        m_.CamY += 1;
        if (turnPhase_ != 6) camHeight_ = RoundI16(m_.CamY);
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
    if (moved) {
        p_.scene.PlaceCamera(m_.CamX, m_.CamY, m_.CamZ);
        p_.scene.LookAt(camFollow_ >= 1 ? camFollow_ : kLookAtCenter);
    }
    return true;
}

// ---------------------------------------------------------------- text over the picture

std::string MatchScreen::StatusLine() const {
    std::string s = "[F1:Помощь]  [F3:Имена<";
    s += m_.NamesShown != 0 ? "вкл>]" : "выкл>]";
    if (!replayMode_) s += "  [F4:Сохранить]";
    s += "  [F6:Пауза <";
    s += m_.IsCompHOD != 0 ? "вкл>]  " : "выкл>]  ";
    if (!replayMode_) {
        s += "[F7:Стрелка <";
        s += m_.ArrowShown != 0 ? "вкл>]  " : "выкл>]  ";
    }
    s += "[F8:Звук <";
    s += m_.Sound != 0 ? "вкл>]" : "выкл>]";
    s += "  [F9/[,]:Камера]";
    return s;
}

std::vector<TextItem> MatchScreen::Overlay() const {
    std::vector<TextItem> out;
    const int W = m_.ScreenW;
    const int H = m_.ScreenH;
    if (!helpShown_) {
        if (m_.NamesShown != 0) out = PlaceNameLabels(m_);
        out.push_back({10, 10, StatusLine(), false});
        out.push_back({20, H - 70, "Ходит игрок " + m_.Gobla(m_.CurG).RName, false});
        out.push_back({20, H - 40, m_.StatusText, false});
        out.push_back({20, H - 20, m_.HintText, false});
        if (camFollow_ == -1)
            out.push_back({RoundI32(W / 2.0 - 10), RoundI32(H / 2.0 - 10), "><", false});
    } else {
        out.push_back({20, 10, "Справка:", false});
        const std::string& t = m_.HelpText;
        std::size_t start = 0;
        int line = 0;
        for (std::size_t i = 0; i + 2 < t.size(); ++i) {
            if (t[i] == '\r' && t[i + 1] == '\n') {
                out.push_back({20, 50 + 20 * line, t.substr(start, i - start), false});
                ++line;
                start = i + 2;
            }
        }
        // A last line without a break after it is shown too.
        std::string rest = start < t.size() ? t.substr(start) : std::string();
        if (rest.size() >= 2 && rest.compare(rest.size() - 2, 2, "\r\n") == 0)
            rest.resize(rest.size() - 2);
        if (!rest.empty()) out.push_back({20, 50 + 20 * line, rest, false});
        out.push_back({20, H - 40, "Чтобы вернуться к игре, нажмите F1...", false});
    }
    if (exitAsk_) out.push_back({bigTextX_, bigTextY_, bigText_, true});
    return out;
}

// ---------------------------------------------------------------- headless driver

HeadlessResult RunHeadless(MatchScreen& screen, VirtualScheduler& clock, Module1& m,
                           long maxStrikes, long long maxIdleMs,
                           const std::function<void()>& afterTick) {
    HeadlessResult r;
    screen.Init();
    long lastStrikes = screen.Strikes();
    long long lastStrikeMs = clock.NowMs();
    while (m.RenderOn != 0) {
        std::optional<TimerId> next = clock.NextDue();
        if (!next) break;
        // Stop at a turn's end, once the pieces of the last allowed strike are at rest.
        if (maxStrikes > 0 && screen.Strikes() >= maxStrikes && *next == TimerId::Pause) {
            r.strikeLimit = true;
            break;
        }
        clock.FireNext(screen);
        if (afterTick) afterTick();
        if (screen.Strikes() != lastStrikes) {
            lastStrikes = screen.Strikes();
            lastStrikeMs = clock.NowMs();
        } else if (maxIdleMs > 0 && clock.NowMs() - lastStrikeMs > maxIdleMs) {
            r.idleLimit = true;
            break;
        }
    }
    r.initFailed = screen.InitFailed();
    r.finished = screen.GameOver();
    screen.Unload();
    r.strikes = screen.Strikes();
    r.physicsTicks = screen.PhysicsTicks();
    r.virtualMs = clock.NowMs();
    return r;
}

} // namespace kv
