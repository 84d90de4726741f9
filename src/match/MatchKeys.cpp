// Strike control: the held-keys table every keyboard tick, and key-down and
// key-up events.
#include "match/MatchScreen.h"

#include "match/MatchShared.h"
#include "state/SoundSlots.h"

namespace kv {

using namespace matchtext;

namespace {

// Without a numeric keypad the letters do its work: Q/E turn the strike, Z/C move
// the strike point, W/S/D/X/R/F move the camera. In a replay X changes the speed
// as a key press, so held it must not turn the camera as well.
void FoldLetterKeys(KeyStateTable& k, bool replay) {
    struct Pair {
        int letter, keypad;
    };
    static constexpr Pair kPairs[] = {{Scan::Q, Scan::Kp7},    {Scan::E, Scan::Kp9},
                                      {Scan::Z, Scan::Kp1},    {Scan::C, Scan::Kp3},
                                      {Scan::W, Scan::Kp8},    {Scan::S, Scan::Kp2},
                                      {Scan::D, Scan::Kp6},    {Scan::X, Scan::Kp4},
                                      {Scan::R, Scan::KpPlus}, {Scan::F, Scan::KpMinus}};
    for (const Pair& p : kPairs) {
        if (replay && p.letter == Scan::X) continue;
        auto& pad = k[static_cast<std::size_t>(p.keypad)];
        pad = static_cast<std::uint8_t>(pad | k[static_cast<std::size_t>(p.letter)]);
    }
}

} // namespace

// ---------------------------------------------------------------- keyboard

void MatchScreen::KeyBoardTick() {
    if (m_.RenderOn == 0 || kbBusy_) return;
    kbBusy_ = true;
    KeyStateTable k{};
    // Letters typed into the chat line steer nothing.
    if (chatOpen_ || !p_.keyboard.ReadKeyboard(k)) k.fill(0);
    FoldLetterKeys(k, replayMode_);

    const long dx = RoundI32(m_.CamX - m_.TargetX);
    const long dz = RoundI32(m_.CamZ - m_.TargetZ);
    const double twoPi = 2 * m_.Pi;

    // 1. G: the pot strike begins.
    if (Held(k, Scan::G) && (turnPhase_ == TurnPhase::Aim || turnPhase_ == TurnPhase::Charge) &&
        !gameOver_) {
        m_.StatusText = "ГОРШОК активизирован! Жмите пробел длительное время!";
        m_.StrikeForce = 0;
        turnPhase_ = TurnPhase::PotCharge;
        p_.scene.ShowArrow(false);
        p_.scene.ShowBall(false);
        ShowPotOverCurrent();
        kbBusy_ = false;
        return;
    }

    const bool space =
        Held(k, Scan::Space) ||
        (rightHeld_ && (turnPhase_ == TurnPhase::Aim || turnPhase_ == TurnPhase::Charge));
    // 2. Pot force.
    if (space && turnPhase_ == TurnPhase::PotCharge) {
        if (m_.StrikeForce < 100) m_.StrikeForce = static_cast<i16>(m_.StrikeForce + 2);
        m_.StatusText = "ГОРШОК: Сила " + std::to_string(m_.StrikeForce);
    }
    // 3. Strike force, or the direction keys.
    if (space) {
        if (turnPhase_ == TurnPhase::Aim && !gameOver_) turnPhase_ = TurnPhase::Charge;
        if (turnPhase_ == TurnPhase::Charge) {
            if (m_.StrikeForce < 100) m_.StrikeForce = static_cast<i16>(m_.StrikeForce + 2);
            m_.StatusText = "Сила удара: " + std::to_string(m_.StrikeForce);
            NoteAim();
        }
    } else if (turnPhase_ == TurnPhase::Aim) {
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
    if (turnPhase_ == TurnPhase::Aim && human && !gameOver_) {
        if (Held(k, Scan::A)) {
            turnPhase_ = TurnPhase::Charge;
            HideAim();
            m_.StatusText = "Игрок выбрал АВТОХОД!";
            if (HasTarget(m_.CurG)) {
                m_.CompStrike = ChooseStrike(m_, m_.CurG, strikeDir_);
                pointAngle_ = m_.CompStrike.ba;
                strikeDir_ = m_.CompStrike.pa;
                m_.StrikeForce = m_.CompStrike.si;
                PreSilaApply();
            } else {
                NoStrike();
            }
        } else if (Held(k, Scan::M)) {
            turnPhase_ = TurnPhase::Charge;
            p_.scene.ShowArrow(false);
            p_.scene.ShowBall(false);
            m_.StatusText = "Игрок выбрал ХОД с силой 100!";
            m_.StrikeForce = 100;
            PreSilaApply();
        }
    } else if (turnPhase_ == TurnPhase::PotCharge && human && Held(k, Scan::M)) {
        turnPhase_ = TurnPhase::PotFall;
        m_.StatusText = "Игрок выбрал горшок с силой 100!!!";
        m_.StrikeForce = 100;
        GorApply();
    }
    kbBusy_ = false;
}

void MatchScreen::KeyUp(Key key) {
    if (m_.RenderOn == 0 || key != Key::Space) return;
    if (turnPhase_ == TurnPhase::Charge) {
        HideAim();
        PreSilaApply();
    } else if (turnPhase_ == TurnPhase::PotCharge) {
        turnPhase_ = TurnPhase::PotFall;
        GorApply();
    }
}

void MatchScreen::ChatKey(Key key) {
    if (key == Key::Enter) {
        if (relay_ && !chatLine_.empty()) relay_->Say(chatLine_);
        chatOpen_ = false;
    } else if (key == Key::Escape || key == Key::F2) {
        chatOpen_ = false;
    } else if (key == Key::Backspace && !chatLine_.empty()) {
        // One character, whatever its length in UTF-8.
        std::size_t n = chatLine_.size() - 1;
        while (n > 0 && (static_cast<unsigned char>(chatLine_[n]) & 0xC0) == 0x80)
            --n;
        chatLine_.erase(n);
    }
}

void MatchScreen::TypeText(const std::string& utf8) {
    if (!chatOpen_) return;
    for (char c : utf8)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return;
    if (chatLine_.size() + utf8.size() <= kChatLineBytes) chatLine_ += utf8;
}

void MatchScreen::Abandon() {
    m_.RenderOn = kFalse;
    EnableTimer(TimerId::Run, false);
    busy_ = true;
}

void MatchScreen::KeyDown(Key key) {
    if (m_.RenderOn == 0) return;
    if (chatOpen_) {
        ChatKey(key);
        return;
    }
    if (key == Key::F2 && relay_ && !exitAsk_) {
        chatOpen_ = true;
        chatLine_.clear();
        return;
    }

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
            Abandon();
        }
        return;
    }

    if (replayMode_ && (key == Key::P || key == Key::N || key == Key::X)) {
        ReplayKey(key);
        return;
    }
    const bool computer = m_.Gobla(m_.CurG).CompControl != 0;
    const bool waits = turnPhase_ == TurnPhase::Aim || turnPhase_ == TurnPhase::Think;
    if (key == Key::Enter && waits && !gameOver_) {
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
                if (waits && computer && !gameOver_) {
                    CompStrikeNow();
                    m_.HintText = "Пауза выключена.";
                }
            } else {
                if (turnPhase_ == TurnPhase::Aim && !gameOver_) ExecuteLoadedStep();
                m_.HintText = "Пауза выключена.";
            }
        } else {
            m_.IsCompHOD = kTrue;
            m_.HintText = "Пауза включена.";
        }
        break;
    case Key::F4:
        if (replayMode_) break;
        // The pieces rest, also while a strike made elsewhere is awaited.
        if (turnPhase_ == TurnPhase::None || waits || turnPhase_ == TurnPhase::Elsewhere) {
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
        if (turnPhase_ != TurnPhase::Aim && turnPhase_ != TurnPhase::Elsewhere) break;
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
            for (int s = 0; s < sound::kSlots; ++s)
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

} // namespace kv
