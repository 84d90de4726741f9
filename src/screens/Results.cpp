#include "screens/Results.h"

#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "persistence/Text.h"
#include "screens/GameStart.h"
#include "screens/LoadBrowser.h"
#include "screens/ScreenContext.h"

#include <algorithm>
#include <filesystem>

namespace kv::screens {

namespace fs = std::filesystem;

i16 Formula1Points(int place) {
    static constexpr i16 kPoints[] = {10, 6, 4, 3, 2, 1};
    return place >= 1 && place <= 6 ? kPoints[place - 1] : 0;
}

bool FinishingOrderComplete(const Module1& m) {
    const int n = m.MaxGamers;
    if (n < 1 || n > kMaxPlayers) return false;
    bool seen[kMaxPlayers + 1] = {};
    for (int p = 1; p <= n; ++p) {
        const i16 s = m.WS(p);
        if (s < 1 || s > n || seen[s]) return false;
        seen[s] = true;
    }
    return true;
}

void ScoreMatch(Module1& m, bool finished) {
    const int n = m.MaxGamers < 1 ? 0 : std::min<int>(m.MaxGamers, kMaxPlayers);
    // Places come from the finishing order, and only a whole one says them.
    if (!finished || !FinishingOrderComplete(m)) return;
    for (int p = 1; p <= n; ++p)
        m.KH(p) = m.WS(n - p + 1);
    if (m.ZI != 0) {
        if (m.Winner >= 1 && m.Winner <= kTeams)
            m.rc(m.Winner).Score = static_cast<i16>(m.rc(m.Winner).Score + AliveCount(m));
    }
    for (int p = 1; p <= n; ++p) {
        GoblaRec& g = m.Gobla(m.KH(p));
        g.ScoreL = static_cast<i16>(n - p + 1);
        g.ScoreLTotal = static_cast<i16>(g.ScoreLTotal + g.ScoreL);
        g.ScoreF = Formula1Points(p);
        if (p <= 6) g.ScoreFTotal = static_cast<i16>(g.ScoreFTotal + g.ScoreF);
    }
    // The winner's point needs a winner: a match left early has none.
    if (AliveCount(m) == 1) {
        GoblaRec& w = m.Gobla(m.KH(1));
        w.ScoreA = 1;
        w.ScoreATotal = static_cast<i16>(w.ScoreATotal + 1);
    }
}

std::vector<std::string> ScoreList(const Module1& m, i16 GoblaRec::*score) {
    const int n = m.MaxGamers < 1 ? 0 : std::min<int>(m.MaxGamers, kMaxPlayers);
    std::vector<int> left;
    for (int s = 1; s <= n; ++s)
        left.push_back(s);
    std::vector<std::string> out;
    while (!left.empty()) {
        std::size_t best = 0;
        for (std::size_t i = 1; i < left.size(); ++i)
            if (m.Gobla(left[i]).*score > m.Gobla(left[best]).*score) best = i;
        const GoblaRec& g = m.Gobla(left[best]);
        out.push_back(std::to_string(g.*score) + "\t" + g.RName);
        left[best] = left.back();
        left.pop_back();
    }
    return out;
}

void ResultsScreen::Update(ScreenContext& g, bool finished, bool replay) {
    Module1& m = g.m;
    Finished = finished;
    const int n = m.MaxGamers < 1 ? 0 : std::min<int>(m.MaxGamers, kMaxPlayers);
    auto namesByTurn = [&] {
        turnOrder.clear();
        for (int p = 1; p <= n; ++p) {
            const i16 s = m.KH(p);
            turnOrder.push_back(s >= 1 && s <= kPieceSlots ? m.Gobla(s).RName : std::string());
        }
    };
    // The round's places and points first: the lists below show them.
    const bool wasFinished = finished && FinishingOrderComplete(m);
    ScoreMatch(m, finished);
    teamGame = m.ZI != 0;
    winner.clear();
    if (teamGame) {
        statusCaption = "Выиграла команда:";
        const auto name = [&](i16 t) { return t >= 1 && t <= kTeams ? m.rc(t).ComName : ""; };
        team1 = name(m.N1);
        team2 = name(m.N2);
        if (!finished)
            winner = "(матч не закончен)";
        else if (m.Winner >= 1)
            winner = name(m.Winner);
        else
            winner = "(все сгинули)";
        team1Score = m.N1 >= 1 && m.N1 <= kTeams ? std::to_string(m.rc(m.N1).Score) : "0";
        team2Score = m.N2 >= 1 && m.N2 <= kTeams ? std::to_string(m.rc(m.N2).Score) : "0";
        if (!replay) namesByTurn();
    } else {
        statusCaption = "Выиграл игрок:";
        if (!wasFinished) {
            winner = "(отсутствует)";
            namesByTurn();
        } else {
            for (int s = 1; s <= n && winner.empty(); ++s)
                if (m.Gobla(s).Life != 0) winner = m.Gobla(s).RName;
            turnOrder.clear();
            for (int p = n; p >= 1; --p)
                turnOrder.push_back(m.Gobla(m.WS(p)).RName);
        }
    }
    if (winner.empty()) winner = "(отсутствует)";
    // The player of the round: the first with the most pieces knocked off.
    int best = 0;
    for (int s = 1; s <= n; ++s)
        if (m.Gobla(s).Sginul > (best == 0 ? 0 : m.Gobla(best).Sginul)) best = s;
    roundPlayer = best == 0 ? "(неопределена)" : m.Gobla(best).RName;
    roundKnocked = best == 0 ? "0" : std::to_string(m.Gobla(best).Sginul);
    if (!teamGame) Select(m, scoring);
    continueEnabled = true;
    for (int s = 1; s <= n; ++s)
        m.Gobla(s).Sginul = 0;
    // What the match screen offers once it has closed.
    saveReplayEnabled = !replay;
    saveGameShown = !replay && m.QuickSaveNo > 0;
    loadReplayEnabled = g.Available(ScreenId::LoadBrowser);
}

void ResultsScreen::Select(const Module1& m, Scoring s) {
    scoring = s;
    i16 GoblaRec::*total = &GoblaRec::ScoreFTotal;
    i16 GoblaRec::*last = &GoblaRec::ScoreF;
    if (s == Scoring::Linear) {
        total = &GoblaRec::ScoreLTotal;
        last = &GoblaRec::ScoreL;
    } else if (s == Scoring::WinnerTakesAll) {
        total = &GoblaRec::ScoreATotal;
        last = &GoblaRec::ScoreA;
    }
    totals = ScoreList(m, total);
    round = ScoreList(m, last);
}

Next ResultsScreen::Continue(ScreenContext& g) {
    if (!continueEnabled) return Next::Stay();
    if (atTable) return continueAtTable ? continueAtTable(g) : Next::Stay();
    if (StartGame(g.m, quick_, options_, g.s.dialogs) != StartResult::Started)
        return Next::OptionsFrom(ScreenId::Results);
    return Next::Match(ScreenId::Results);
}

Next ResultsScreen::Back(ScreenContext& g) {
    if (atTable) return Next::To(ScreenId::NetLobby);
    if (g.m.LoadedGame != 0 && g.Available(ScreenId::LoadBrowser)) {
        g.m.LoadedGame = kFalse;
        return Next::To(ScreenId::LoadBrowser);
    }
    g.m.LoadedGame = kFalse;
    if (g.m.ZI != 0 && g.Available(ScreenId::Teams)) return Next::To(ScreenId::Teams);
    return Next::To(ScreenId::QuickGame);
}

void ResultsScreen::SaveGameAs(ScreenContext& g) {
    CopyLatestFile(g, g.s.stateDir + "game" + std::to_string(g.m.QuickSaveNo) + ".zvr", false);
}

void ResultsScreen::SaveReplayAs(ScreenContext& g) {
    CopyLatestFile(g, g.s.stateDir + "replay" + std::to_string(g.m.ReplaySlot) + ".sav", true);
}

Next ResultsScreen::LoadReplay(ScreenContext& g) {
    if (!loadReplayEnabled) return Next::Stay();
    if (g.s.dialogs.Message("Продолжить матч после выполнения этой команды будет невозможно. Вы "
                            "уверены, что хотите загрузить повтор?",
                            MsgIcon::Information, MsgButtons::YesNo) != MsgAnswer::Yes)
        return Next::Stay();
    loader_.Open(g, LoadMode::Replays);
    return Next::To(ScreenId::LoadBrowser);
}

namespace {

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code ea, eb;
    const fs::path ca = fs::weakly_canonical(a, ea);
    const fs::path cb = fs::weakly_canonical(b, eb);
    return !ea && !eb && ca == cb;
}

} // namespace

bool CopyLatestFile(ScreenContext& g, const std::string& latest, bool replay) {
    DialogPort& d = g.s.dialogs;
    SavePrompt p;
    p.title = replay ? "Сохранение повтора" : "Сохранение игры";
    p.filter = replay ? "Файлы повтора ZVR (*.sav)" : "Сохраненные игры ZVR (*.zvr)";
    p.extension = replay ? ".sav" : ".zvr";
    p.defaultPath = g.s.stateDir + (replay ? "povtor1.sav" : "savedgame1.zvr");
    std::string chosen = g.s.prompt.AskSavePath(p);
    if (chosen.empty()) return false;
    if (!EndsWithNoCase(chosen, p.extension)) chosen += p.extension;
    // A bare name means the folder where the game keeps its files.
    fs::path target(chosen);
    if (target.is_relative()) target = fs::path(g.s.stateDir) / target;
    const std::string name = target.string();
    if (FileExists(name)) {
        if (SameFile(target, latest)) {
            d.Message("В файле " + name +
                          (replay ? " уже содержится сохраненный повтор. Введите другое имя файла."
                                  : " уже содержится сохраненная игра. Введите другое имя файла."),
                      MsgIcon::Warning, MsgButtons::Ok);
            return false;
        }
        if (d.Message(std::string("Файл") + NL2 + name + NL2 + "уже существует. Перезаписать?",
                      MsgIcon::Information, MsgButtons::OkCancel,
                      "Сохранение файла") != MsgAnswer::Ok)
            return false;
    }
    std::string bytes, err;
    if (!ReadFileBytes(latest, bytes, &err) || !WriteFileAtomic(name, bytes, &err)) {
        // Never a silent failure: say which file and why.
        const std::string text = "Файл " + name + " не сохранен: не удалось скопировать " +
                                 fs::path(latest).filename().string() + "." + NL2 + err;
        LogError(text);
        d.Message(text, MsgIcon::Warning, MsgButtons::Ok);
        return false;
    }
    d.Message("Файл " + name + " успешно сохранен!", MsgIcon::Information, MsgButtons::Ok);
    return true;
}

} // namespace kv::screens
