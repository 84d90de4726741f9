#include "match/MatchScreen.h"

#include "match/MatchShared.h"
#include "state/SoundSlots.h"

#include "state/SceneUnits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kv {

using namespace matchtext;

MatchScreen::MatchScreen(Module1& m, const MatchPorts& ports, Rng& rng)
    : m_(m), p_(ports), rng_(rng) {
    fallMs_.fill(-1);
    for (int i = 0; i < kTimerCount; ++i)
        p_.timers.SetTimer(static_cast<TimerId>(i), false, interval_[static_cast<std::size_t>(i)]);
}

MatchScreen::~MatchScreen() {
    DropThinking();
}

void MatchScreen::SetReplayMode(bool on) {
    replayMode_ = on;
}

void MatchScreen::EnableTimer(TimerId id, bool on) {
    timerOn_[static_cast<std::size_t>(id)] = on;
    p_.timers.SetTimer(id, on, interval_[static_cast<std::size_t>(id)]);
}

// ---------------------------------------------------------------- start-up

void PrepareTable(Module1& m) {
    m.CamX = -50;
    m.CamY = 40;
    m.CamZ = -20;
    m.TargetX = m.MaxX / 20.0;
    m.TargetY = -2;
    m.TargetZ = -m.MaxY / 20.0;
    WriteWalls(m);
}

void MatchScreen::Init() {
    p_.display.SetCaption("Kvelmar II: Zantor Билд" + std::to_string(kBuild) + ": загрузка...");
    busy_ = false;
    p_.dialogs.SetBusy(true);
    // A hand-edited save may name a player that does not exist.
    if (m_.CurNG < 1 || m_.CurNG > kMaxPlayers) m_.CurNG = 1;
    if (m_.CurG < 1 || m_.CurG > kMaxPlayers) m_.CurG = 1;
    m_.NewSgin = 0;
    m_.HintText.clear();
    replayPaused_ = false;
    replaySpeed_ = 1;
    replayStrike_ = 0;
    replaySteps_ = replayMode_ ? p_.replay.ReplayStepCount() : -1;

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

    PrepareTable(m_);
    fallMs_.fill(-1);
    banners_.clear();
    SnapshotPieces();
    if (!p_.keyboard.InitKeyboard() || !p_.display.InitDisplay() || !p_.scene.BuildScene()) {
        initFailed_ = true;
        m_.RenderOn = kFalse;
        p_.dialogs.SetBusy(false);
        return;
    }

    camHeight_ = RoundI16(m_.CamY);
    if (m_.Sound != 0) p_.sound.PlaySound(sound::kGreeting + rng_.NextInt(4), -10);

    m_.RenderOn = kTrue;
    busy_ = false;
    EnableTimer(TimerId::KeyBoard, true);
    EnableTimer(TimerId::Pause, false);
    pointAngle_ = 0.0;

    GameKernel();
    if (!replayMode_) Banner("Ход: " + m_.Gobla(m_.CurG).RName);
    Present();
    p_.dialogs.SetBusy(false);
}

// ---------------------------------------------------------------- turn cycle

void MatchScreen::GameKernel() {
    gameOver_ = false;
    m_.StrikeForce = 0;
    turnPhase_ = TurnPhase::Aim;

    if (replayMode_) {
        m_.StatusText = ReplayStatus();
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

    TurnOwner who = TurnOwner::Here;
    if (relay_) {
        // Every machine closes a turn without a target alike, whoever plays it.
        if (!HasTarget(m_.CurG)) {
            m_.StatusText = kStatusCompBlind;
            NoStrike();
            return;
        }
        who = relay_->TurnBegins(m_.CurG);
    }
    const GoblaRec& g = m_.Gobla(m_.CurG);
    if (who == TurnOwner::Elsewhere) {
        WaitElsewhere();
    } else if (who == TurnOwner::Here && g.CompControl == 0) {
        m_.StatusText = kStatusHumanTurn;
        ShowTarg();
    } else if (LevelOf(m_.CurG) == kLevelChampion && HasTarget(m_.CurG)) {
        // Paused (F6) or not, the champion thinks first; the pause waits after.
        // F6 holds only this machine's own computer, never the table's.
        planMayPause_ = who == TurnOwner::Here;
        StartThinking();
    } else if (who == TurnOwner::Here && m_.IsCompHOD != 0) {
        m_.StatusText = kStatusCompPaused;
        m_.HintText = kHintPauseOff;
    } else {
        CompTurn();
    }
}

void MatchScreen::CompTurn() {
    m_.StatusText = kStatusCompBlind;
    if (!HasTarget(m_.CurG)) {
        // Nobody to aim at (a hand-made save): close the turn, which ends the match.
        NoStrike();
        return;
    }
    m_.CompStrike = ChooseStrikeAs(m_, m_.CurG, LevelOf(m_.CurG), rng_, strikeDir_);
    pointAngle_ = m_.CompStrike.ba;
    strikeDir_ = m_.CompStrike.pa;
    m_.StrikeForce = m_.CompStrike.si;
    PreSilaApply();
}

void MatchScreen::NoStrike() {
    turnPhase_ = TurnPhase::Struck;
    busy_ = true;
    EnableTimer(TimerId::Pause, true);
}

void MatchScreen::StartThinking() {
    turnPhase_ = TurnPhase::Think;
    thinking_ = true;
    strikeOnPlan_ = false;
    m_.StatusText = kStatusCompThinks;
    const long ticket = ++planTicket_;
    planner_->StartPlan(m_, m_.CurG,
                        [this, ticket](const PlannedStrike& plan) { PlanReady(ticket, plan); });
}

void MatchScreen::PlanReady(long ticket, const PlannedStrike& plan) {
    // An answer to a question dropped meanwhile: a closed match, another turn.
    if (ticket != planTicket_ || !thinking_ || unloaded_ || turnPhase_ != TurnPhase::Think) return;
    thinking_ = false;
    plan_ = plan;
    if (strikeOnPlan_) {
        StrikePlan(false);
    } else if (m_.IsCompHOD != 0 && planMayPause_) {
        m_.StatusText = kStatusCompPaused;
        m_.HintText = kHintPauseOff;
    } else {
        StrikePlan(true);
    }
}

void MatchScreen::DropThinking() {
    if (!thinking_) return;
    thinking_ = false;
    ++planTicket_;
    planner_->DropPlan();
}

void MatchScreen::StrikePlan(bool spread) {
    m_.StatusText = kStatusCompBlind;
    if (plan_.pot != 0) {
        ComputerPot(plan_.pot);
        return;
    }
    m_.CompStrike = plan_.strike;
    pointAngle_ = plan_.strike.ba;
    strikeDir_ = plan_.strike.pa;
    m_.StrikeForce = plan_.strike.si;
    m_.HintText = "Сила удара: " + std::to_string(plan_.strike.si);
    if (spread)
        PreSilaApply();
    else
        Execute(m_.CompStrike);
}

void MatchScreen::ComputerPot(i16 force) {
    m_.StatusText = "Комп опускает ГОРШОК! Сила " + std::to_string(force);
    m_.StrikeForce = force;
    ShowPotOverCurrent();
    GorApply();
}

i16 MatchScreen::LevelOf(i16 p) const {
    return p >= 1 && p <= kMaxPlayers ? m_.CompLevel(p) : kLevelMaster;
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
    if (busy_ || (replayMode_ && replayPaused_)) return;
    busy_ = true;
    // A faster replay takes more motion steps per tick, never other steps.
    const int steps = replayMode_ ? replaySpeed_ : 1;
    for (int k = 0; k < steps; ++k) {
        if (!MotionStep()) {
            if (k > 0) {
                for (int i = 1; i <= m_.MaxGamers && i <= kMaxPlayers; ++i)
                    p_.scene.PlacePiece(i);
            }
            StopMotion();
            return; // Busy stays set until the next strike
        }
    }
    if (camFollow_ >= 1 && camGoalY_ == kCamGoalReached) {
        const GoblaRec& g = m_.Gobla(camFollow_);
        m_.TargetX = SceneX(g.Xpos);
        m_.TargetZ = SceneZ(g.Ypos);
        LookAtCenterFrame();
    }
    for (int i = 1; i <= m_.MaxGamers && i <= kMaxPlayers; ++i)
        p_.scene.PlacePiece(i);
    busy_ = false;
}

bool MatchScreen::MotionStep() {
    if (AllStopped(m_)) return false;
    SnapshotPieces();
    NoteLoad(PhysicsStep(m_, 1.0, this));
    ++physicsTicks_;
    return true;
}

void MatchScreen::StopMotion() {
    moving_ = false;
    EnableTimer(TimerId::Pause, true);
    EnableTimer(TimerId::Run, false);
    m_.StatusText = "Переход хода!";
}

void MatchScreen::PauseTick() {
    if (replayMode_ && replayPaused_) return; // fires again once resumed
    const bool next = CloseTurn();
    if (relay_) relay_->TurnEnded();
    if (next) PassTurn();
}

bool MatchScreen::CloseTurn() {
    EnableTimer(TimerId::Pause, false);
    m_.HintText.clear();

    const int n = RecordFallen(m_);
    if (n >= 2 && m_.UseRoom != 0 && m_.Sound != 0) {
        double dx = m_.MaxX / 10.0 - m_.CamX;
        double dz = 150 - m_.CamZ;
        p_.sound.PlaySound(sound::kSeveralFell, RoundI32(-(dx * dx + dz * dz) / 200));
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
        if (T > A && A > 0) return true;
        if (T == 0) {
            m_.Winner = -1;
            gameOver_ = true;
            m_.StatusText = "Гобла закончена! Все сгинули...";
            Banner("Все сгинули");
            m_.RenderOn = kFalse;
            return false;
        }
        const i16 team = A == 0 ? m_.N2 : m_.N1;
        appendSurvivors();
        m_.Winner = team;
        gameOver_ = true;
        m_.StatusText = "Гобла закончена! Поздравления команде " + teamName(team) + "!!!";
        Banner("Победила команда " + teamName(team) + "!");
        FinishWon();
        return false;
    }

    if (T == 0) {
        m_.StatusText = "Вы живых не осталось никого...Все сгинули!";
        Banner("Все сгинули");
        gameOver_ = true;
        m_.Winner = -1;
        m_.RenderOn = kFalse;
        return false;
    }
    if (T == 1) {
        appendSurvivors();
        i16 s = 0;
        for (int k = 1; k <= m_.MaxGamers && k <= kMaxPlayers && s == 0; ++k)
            if (m_.Gobla(k).Life != 0) s = static_cast<i16>(k);
        m_.Winner = s;
        gameOver_ = true;
        m_.StatusText = "Гобла закончена! Поздравления игроку " + m_.Gobla(s).RName + "!!!";
        Banner("Победила Гобла " + m_.Gobla(s).RName + "!");
        FinishWon();
        return false;
    }
    return true;
}

void MatchScreen::FinishWon() {
    if (m_.Sound != 0) {
        p_.sound.PlaySound(sound::kWin, -7);
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
    turnPhase_ = TurnPhase::Aim;
    Banner("Ход: " + m_.Gobla(m_.CurG).RName);
    GameKernel();
}

void MatchScreen::ExitTick() {
    m_.StatusText = "Пожалуйста подождите...";
    m_.RenderOn = kFalse;
    EnableTimer(TimerId::Exit, false);
}

void MatchScreen::Unload() {
    m_.RenderOn = kFalse;
    DropThinking();
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
    if (id == TimerId::KeyBoard) lookMs_ += kKeyBoardMs;
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
    Present();
}

// ---------------------------------------------------------------- strikes

void MatchScreen::Execute(const StrikeRecord& s) {
    if (relay_) {
        SendStrike({s, false, 0});
        return;
    }
    ++strikes_;
    ExecuteStrike(s);
}

void MatchScreen::ExecuteStrike(const StrikeRecord& strike) {
    turnPhase_ = TurnPhase::Struck;
    if (!replayMode_) p_.replay.WriteReplayStep(strike, 0);
    if (m_.Sound != 0 && strike.si >= 100) {
        // The draw comes from the match's seeded generator instead of a
        // generator re-seeded from the time of day: replays stay repeatable.
        const int k = static_cast<int>(10 * rng_.Next01());
        if (k >= 1 && k <= 3) p_.sound.PlaySound(sound::kFullForce + k, -10);
    }
    PushStrike(m_, strike);
    StartMotion();
}

void MatchScreen::PreSilaApply() {
    StrikeRecord s;
    s.ba = SpreadAngle(m_, rng_, pointAngle_);
    s.pa = SpreadAngle(m_, rng_, strikeDir_);
    s.si = SpreadForce(m_, rng_, m_.StrikeForce);
    Execute(s);
}

void MatchScreen::GorApply() {
    if (relay_) {
        SendStrike({StrikeRecord{}, true, m_.StrikeForce});
        return;
    }
    DropPot();
}

void MatchScreen::DropPot() {
    ++strikes_;
    turnPhase_ = TurnPhase::PotFall;
    if (m_.Sound != 0) p_.sound.PlaySound(sound::kPot + rng_.NextInt(4), -10);
    if (!replayMode_) p_.replay.WriteReplayStep(StrikeRecord{}, m_.StrikeForce);
    busy_ = false;
    potTime_ = 0;
    potHold_ = 0;
    if (m_.StrikeForce != 0)
        EnableTimer(TimerId::Gor, true);
    else
        EnableTimer(TimerId::Run, true);
}

void MatchScreen::StartMotion() {
    busy_ = false;
    moving_ = true;
    EnableTimer(TimerId::Run, true);
}

void MatchScreen::KnockSound() {
    if (m_.Sound != 0) p_.sound.PlaySound(sound::kKnock, -10);
}

void MatchScreen::NoteLoad(const StepLoad& l) {
    if (l.guarded) ++guardHits_;
    busiest_.searches = std::max(busiest_.searches, l.searches);
    busiest_.resolutions = std::max(busiest_.resolutions, l.resolutions);
    busiest_.pushes = std::max(busiest_.pushes, l.pushes);
    busiest_.checks = std::max(busiest_.checks, l.checks);
}

std::string MatchScreen::GuardReport() {
    if (guardHits_ <= guardHitsReported_) return {};
    guardHitsReported_ = guardHits_;
    return "Физика: шаг прерван защитой от зацикливания (ход игрока " + m_.Gobla(m_.CurG).RName +
           ", всего таких шагов: " + std::to_string(guardHits_) + ")";
}

void MatchScreen::PiecePerished(i16 k) {
    NoteFall(k);
    if (camFollow_ == k && k >= 1) TurnToCentre();
}

void MatchScreen::ShowPotOverCurrent() {
    const GoblaRec& g = m_.Gobla(m_.CurG);
    p_.scene.ShowPot(RoundI16(SceneX(g.Xpos)), RoundI16(SceneZ(g.Ypos)));
}

void MatchScreen::HideAim() {
    if (m_.ArrowShown != 0) p_.scene.ShowArrow(false);
    p_.scene.ShowBall(false);
}

void MatchScreen::CompStrikeNow() {
    if (turnPhase_ == TurnPhase::Think) {
        // ENTER before the plan has come strikes as soon as it does; the pause
        // switched off lets it come as an unpaused one.
        if (thinking_)
            strikeOnPlan_ = m_.IsCompHOD != 0;
        else
            StrikePlan(false);
        return;
    }
    m_.StatusText = kStatusCompBlind;
    if (!HasTarget(m_.CurG)) {
        NoStrike();
        return;
    }
    m_.CompStrike = ChooseStrikeAs(m_, m_.CurG, LevelOf(m_.CurG), rng_, strikeDir_);
    Execute(m_.CompStrike);
}

bool MatchScreen::ReplayStep() {
    StrikeRecord s;
    i16 pot = 0;
    if (!p_.replay.ReadReplayStep(s, pot)) return false;
    ++replayStrike_;
    m_.StatusText = ReplayStatus();
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

std::string MatchScreen::ReplayStatus() const {
    std::string s = "Повтор: удар " + std::to_string(replayStrike_);
    if (replaySteps_ >= 0) s += " из " + std::to_string(replaySteps_);
    if (replayPaused_) s += " (пауза)";
    return s;
}

void MatchScreen::ReplayKey(Key key) {
    if (!replayMode_ || gameOver_) return;
    if (key == Key::X) {
        replaySpeed_ = replaySpeed_ >= 4 ? 1 : replaySpeed_ * 2;
        return;
    }
    if (key == Key::P) {
        replayPaused_ = !replayPaused_;
    } else if (key == Key::N && moving_ && !busy_) {
        // The pieces come to rest now, step by step as they would have.
        while (MotionStep()) {
        }
        for (int i = 1; i <= m_.MaxGamers && i <= kMaxPlayers; ++i)
            p_.scene.PlacePiece(i);
        busy_ = true;
        StopMotion();
        if (!replayPaused_) PauseTick(); // and the next strike follows at once
        return;
    }
    if (moving_) m_.StatusText = ReplayStatus();
}

void MatchScreen::ExecuteLoadedStep() {
    m_.StatusText = ReplayStatus();
    if (m_.StrikeForce != 0) {
        ShowPotOverCurrent();
        GorApply();
    } else {
        Execute(m_.CompStrike);
    }
}

namespace {

// The modern look lets the pot fall for at least this long, and holds the impact.
constexpr double kPotFlightS = 0.8;
constexpr int kPotHoldTicks = 8;

// How much slower than the classic pot the picture lets it fall with force f.
double PotPace(double f) {
    const double g = 9.81 / 2;
    const double flight = (-f + std::sqrt(f * f + 4 * g * 19.5)) / (2 * g); // down to 0.5 up
    return std::clamp(flight / kPotFlightS, 0.1, 1.0);
}

} // namespace

void MatchScreen::GorTick() {
    if (busy_ || (replayMode_ && replayPaused_)) return;
    busy_ = true;
    const double F = m_.StrikeForce;
    const GoblaRec& cur = m_.Gobla(m_.CurG);
    const i16 px = RoundI16(SceneX(cur.Xpos));
    const i16 pz = RoundI16(SceneZ(cur.Ypos));

    if (!(m_.CamY > camHeight_) && potHold_ == 0) {
        const double t = potTime_;
        const double h = PotHeight(t, F);
        if (h > 0.5) {
            potTime_ += kGorMs / 1000.0 * (Modern() ? PotPace(F) : 1.0);
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
        if (Modern()) potHold_ = 1;
        p_.scene.HidePot();
        p_.scene.PlaceCamera(m_.CamX, m_.CamY, m_.CamZ);
        busy_ = false;
        return;
    }

    // The modern look holds the impact a moment so that it is seen.
    if (Modern() && potHold_ < kPotHoldTicks) {
        ++potHold_;
        busy_ = false;
        return;
    }
    // Settling: every other piece is thrown straight away from the striker.
    potHold_ = 0;
    m_.CamY = camHeight_;
    p_.scene.PlaceCamera(m_.CamX, m_.CamY, m_.CamZ);
    EnableTimer(TimerId::Gor, false);
    SnapshotPieces();
    NoteLoad(PotThrow(m_, F, this));
    for (int i = 1; i <= m_.MaxGamers && i <= kMaxPlayers; ++i)
        p_.scene.PlacePiece(i);
    busy_ = false;
    EnableTimer(TimerId::Run, true);
}

// ---------------------------------------------------------------- network play

void MatchScreen::SendStrike(const PlayedStrike& s) {
    HideAim();
    // Set first: the relay may hand the strike straight back.
    turnPhase_ = TurnPhase::Elsewhere;
    m_.StatusText = "Удар сделан, ждём подтверждения стола...";
    relay_->StrikeMade(s);
}

void MatchScreen::WaitElsewhere() {
    turnPhase_ = TurnPhase::Elsewhere;
    leftHeld_ = rightHeld_ = false;
    HideAim();
    m_.StatusText = "Ходит игрок " + m_.Gobla(m_.CurG).RName + " на другой машине, ждём удара...";
}

bool MatchScreen::TakesStrike() const {
    if (m_.RenderOn == 0 || gameOver_) return false;
    return turnPhase_ == TurnPhase::Elsewhere || turnPhase_ == TurnPhase::Aim ||
           turnPhase_ == TurnPhase::Think || turnPhase_ == TurnPhase::Charge ||
           turnPhase_ == TurnPhase::PotCharge;
}

bool MatchScreen::PlayStrike(const PlayedStrike& s) {
    if (!TakesStrike()) return false;
    DropThinking();
    HideAim();
    leftHeld_ = rightHeld_ = false;
    if (s.pot) {
        m_.StrikeForce = s.potForce;
        ShowPotOverCurrent();
        DropPot();
    } else {
        m_.HintText = "Сила удара: " + std::to_string(s.strike.si);
        m_.CompStrike = s.strike;
        ++strikes_;
        ExecuteStrike(s.strike);
    }
    return true;
}

void MatchScreen::PlaceAimMarks() {
    double px = 0, py = 0;
    StrikePoint(m_, m_.Gobla(m_.CurG), pointAngle_, px, py);
    p_.scene.PlaceBall(SceneX(px), 0.5, SceneZ(py));
    p_.scene.PlaceArrow(SceneX(px), 1.0, SceneZ(py));
}

void MatchScreen::ShowAim(double pointAngle, double direction) {
    if (turnPhase_ != TurnPhase::Elsewhere || !std::isfinite(pointAngle) ||
        !std::isfinite(direction))
        return;
    pointAngle_ = pointAngle;
    strikeDir_ = direction;
    p_.scene.ShowBall(true);
    if (m_.ArrowShown != 0) {
        p_.scene.ShowArrow(true);
        p_.scene.TurnArrow(strikeDir_);
    }
    PlaceAimMarks();
}

void MatchScreen::NoteAim() {
    if (relay_ && (turnPhase_ == TurnPhase::Aim || turnPhase_ == TurnPhase::Charge))
        relay_->AimChanged(pointAngle_, strikeDir_, m_.StrikeForce);
}

void MatchScreen::RetakeTurn() {
    if (!TakesStrike()) return;
    DropThinking();
    HideAim();
    p_.scene.HidePot();
    GameKernel();
}

void MatchScreen::Resync(long strikes, long ticks) {
    for (TimerId t : {TimerId::Run, TimerId::Pause, TimerId::Gor, TimerId::Exit})
        EnableTimer(t, false);
    moving_ = false;
    busy_ = false;
    gameOver_ = false;
    potTime_ = 0;
    p_.scene.HidePot();
    strikes_ = strikes;
    physicsTicks_ = ticks;
    m_.NewSgin = 0;
    m_.RenderOn = kTrue;
    for (int i = 1; i <= m_.MaxGamers && i <= kMaxPlayers; ++i)
        p_.scene.PlacePiece(i);
    GameKernel();
}

void MatchScreen::PlayOut() {
    if (turnPhase_ != TurnPhase::Struck && turnPhase_ != TurnPhase::PotFall) return;
    while (timerOn_[static_cast<std::size_t>(TimerId::Gor)])
        GorTick();
    while (MotionStep()) {
    }
    for (int i = 1; i <= m_.MaxGamers && i <= kMaxPlayers; ++i)
        p_.scene.PlacePiece(i);
    busy_ = true;
    StopMotion();
    PauseTick();
}

} // namespace kv
