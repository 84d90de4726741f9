#include "screens/GameStart.h"

#include "persistence/Text.h"

#include <algorithm>
#include <string>

namespace kv::screens {

namespace {

void PlaceObstacles(Module1& m) {
    m.MaxPip = 0;
    if (m.PipaOn == 0) return;
    const double X = m.MaxX, Y = m.MaxY;
    if (m.PipaSimm != 0) {
        m.pipa(1) = {80, 80};
        m.pipa(2) = {X - 80, 80};
        m.pipa(3) = {80, Y - 80};
        m.pipa(4) = {X - 80, Y - 80};
        m.MaxPip = 4;
    } else if (m.PipaMode == 0) {
        m.pipa(1) = {80, 80};
        m.pipa(2) = {80, Y - 80};
        m.MaxPip = 2;
    } else {
        m.pipa(1) = {80, 80};
        m.pipa(2) = {X - 80, 80};
        m.MaxPip = 2;
    }
    for (int k = 1; k <= m.MaxPip; ++k) {
        GoblaRec& g = m.Gobla(m.MaxGamers + k);
        g.Xpos = m.pipa(k).X;
        g.Ypos = m.pipa(k).Y;
        g.Model = kModelObstacle;
        g.Life = kTrue;
    }
}

} // namespace

StartResult StartGame(Module1& m, QuickGameScreen& quick, const OptionsScreen& options,
                      DialogPort& dialogs) {
    if (m.LoadedGame == 0) SetMatchDefaults(m);
    if (m.MaxX > kMaxTableSize || m.MaxX < kMinTableSize || m.MaxY > kMaxTableSize ||
        m.MaxY < kMinTableSize) {
        dialogs.Message("Размеры поля заданы неверно. Задайте верные значения и повторите запуск.",
                        MsgIcon::Information, MsgButtons::Ok);
        return StartResult::BadTableSize;
    }
    if (m.LoadedGame == 0) {
        // A team game counts its members; the quick game screen's count would
        // leave team members without a piece.
        const bool teams = m.ZI != 0 && m.N1 >= 1 && m.N1 <= kTeams && m.N2 >= 1 && m.N2 <= kTeams;
        m.MaxGamers =
            teams ? static_cast<i16>(m.rc(m.N1).Kolvo + m.rc(m.N2).Kolvo) : quick.GamersCount;
    }
    PlacePieces(m);
    if (m.LoadedGame == 0) {
        if (m.ZI == 0) {
            for (int r = 0; r < kRows; ++r) {
                m.Gobla(r + 1).CompControl = quick.rows[r].computer;
                m.CompLevel(r + 1) = quick.rows[r].level;
                m.Gobla(r + 1).Model = quick.rows[r].model;
            }
            int slot = 0;
            for (int r = 0; r < kRows && slot < m.MaxGamers; ++r) {
                PlayerRow& row = quick.rows[r];
                if (row.take != 1) continue;
                GoblaRec& g = m.Gobla(++slot);
                g.Gray = kFalse;
                g.RName = Trim(row.name);
                g.Model = row.model;
                g.CompControl = row.computer;
                m.CompLevel(slot) = row.level;
                if (g.RName.empty()) {
                    g.RName = std::to_string(slot);
                    row.name = g.RName;
                }
            }
        }
        PlaceObstacles(m);
    }
    m.Ftr = options.Friction();
    if (m.ScreenW < 1 || m.ScreenH < 1 || m.Colors < 2) {
        dialogs.Message("Некорректные параметры графики.", MsgIcon::Information, MsgButtons::Ok);
        return StartResult::BadDisplay;
    }
    m.CurSgin = 0;
    m.CurNG = 1;
    for (int i = 1; i <= m.MaxGamers; ++i) {
        m.WS(i) = 0;
        m.Gobla(i).Sginul = 0;
        if (m.ZI != 0 && m.N1 >= 1 && m.N1 <= kTeams) m.Gobla(i).Model = m.rc(m.N1).RType;
    }
    for (int i = 1; i <= kPerishListSize; ++i)
        m.SginList(i) = 0;
    m.CurG = m.KH(1);
    for (int i = 1; i <= m.MaxGamers; ++i)
        m.Gobla(i).ScoreA = 0;
    return StartResult::Started;
}

StartResult StartTeamGame(Module1& m, const TeamChoice& teams, QuickGameScreen& quick,
                          const OptionsScreen& options, DialogPort& dialogs) {
    if (teams.playing.size() != 2) {
        dialogs.Message("Выберите 2 команды для игры!", MsgIcon::Information, MsgButtons::Ok);
        return StartResult::NotTwoTeams;
    }
    m.ZI = kTrue;
    for (int i = 1; i <= kMaxPlayers; ++i) {
        m.Gobla(i).Model = 0;
        m.Gobla(i).M = 1;
    }
    const int defined = std::min<int>(m.NextTeam - 1, kTeams);
    m.N1 = m.N2 = 0;
    for (int t = 1; t <= defined; ++t) {
        m.rc(t).Score = 0;
        if (m.N1 == 0 && m.rc(t).ComName == teams.playing[0]) m.N1 = static_cast<i16>(t);
        if (m.N2 == 0 && m.rc(t).ComName == teams.playing[1]) m.N2 = static_cast<i16>(t);
    }
    if (m.N1 == 0 || m.N2 == 0 || m.N1 == m.N2) {
        dialogs.Message("Выберите 2 команды для игры!", MsgIcon::Information, MsgButtons::Ok);
        return StartResult::NotTwoTeams;
    }
    const i16 count = teams.perTeam < 1 ? 1 : teams.perTeam > 4 ? 4 : teams.perTeam;
    TeamRec& a = m.rc(m.N1);
    TeamRec& b = m.rc(m.N2);
    a.Kolvo = b.Kolvo = count;
    a.RType = b.RType = teams.model;
    auto member = [](const TeamRec& t, int k) -> const std::string& {
        return k == 1 ? t.R1 : k == 2 ? t.R2 : k == 3 ? t.R3 : t.R4;
    };
    for (int k = 1; k <= count; ++k) {
        GoblaRec& ga = m.Gobla(2 * k - 1);
        ga.Com = 0;
        ga.Gray = kFalse;
        ga.RName = member(a, k);
        ga.CompControl = a.CompControl;
        m.CompLevel(2 * k - 1) = a.Level;
        GoblaRec& gb = m.Gobla(2 * k);
        gb.Com = 1;
        gb.Gray = kTrue;
        gb.RName = member(b, k);
        gb.CompControl = b.CompControl;
        m.CompLevel(2 * k) = b.Level;
    }
    for (int p = 1; p <= kMaxPlayers; ++p)
        m.KH(p) = static_cast<i16>(p);
    return StartGame(m, quick, options, dialogs);
}

} // namespace kv::screens
