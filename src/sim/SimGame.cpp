#include "sim/SimGame.h"

#include "screens/GameStart.h"

namespace kv::sim {

namespace {

std::string DefaultName(int slot) {
    return "Омон" + std::to_string(slot);
}

// The quick game from a settings file: its ticked rows, names, models, masses,
// table, friction, walls, obstacles and spread; every player the computer.
bool SetupFromSettings(screens::GameScreens& g, const PlayOptions& p) {
    Module1& m = g.m;
    if (!g.LoadSettingsFrom(p.settings, true)) return false;
    if (g.quick.TickedRows() < 2) {
        g.s.dialogs.Message("В файле параметров отмечено меньше двух игроков.",
                            MsgIcon::Information, MsgButtons::Ok);
        return false;
    }
    m.IsCompHOD = kFalse;
    int ticked = 0;
    for (PlayerRow& row : g.quick.rows) {
        row.computer = 1;
        // Given levels go to the ticked rows in order, as the slots are filled.
        if (row.take == 1 && static_cast<std::size_t>(ticked) < p.levels.size())
            row.level = static_cast<i16>(p.levels[static_cast<std::size_t>(ticked++)]);
    }
    // The mass editor writes row r's mass into slot r + 1; keep the ticked rows' masses
    // with their players.
    std::array<i16, screens::kRows> mass{};
    for (int r = 0; r < screens::kRows; ++r)
        mass[static_cast<std::size_t>(r)] = m.Gobla(r + 1).M;
    if (g.quick.Go(g).kind != screens::Next::Kind::Match) return false;
    int slot = 0;
    for (int r = 0; r < screens::kRows && slot < m.MaxGamers; ++r)
        if (g.quick.rows[static_cast<std::size_t>(r)].take == 1)
            m.Gobla(++slot).M = mass[static_cast<std::size_t>(r)];
    for (int i = 1; i <= m.MaxGamers; ++i)
        m.Gobla(i).CompControl = 1;
    return true;
}

} // namespace

bool SetupGame(screens::GameScreens& g, const PlayOptions& p) {
    Module1& m = g.m;
    if (!p.settings.empty()) return SetupFromSettings(g, p);
    m.MaxX = static_cast<i16>(p.tableX);
    m.MaxY = static_cast<i16>(p.tableY);
    m.Border = Flag(p.wall != 0);
    m.BordMode = static_cast<i16>(p.wall == 1 ? 0 : 1);
    m.BordSimm = Flag(p.wallMirror);
    m.PipaOn = Flag(p.obstacles != 0);
    m.PipaMode = static_cast<i16>(p.obstacles == 2 ? 1 : 0);
    m.PipaSimm = Flag(p.obstaclesMirror);
    m.VarK = static_cast<float>(p.spread);
    m.IsCompHOD = kFalse;

    auto name = [&](int slot) {
        const auto i = static_cast<std::size_t>(slot - 1);
        return i < p.names.size() ? p.names[i] : DefaultName(slot);
    };
    auto level = [&](int slot) {
        const auto i = static_cast<std::size_t>(slot - 1);
        return static_cast<i16>(i < p.levels.size() ? p.levels[i] : kLevelMaster);
    };
    auto model = [&](int slot) {
        const auto i = static_cast<std::size_t>(slot - 1);
        return static_cast<i16>(i < p.models.size() ? p.models[i] : 0);
    };

    g.options.friction = 1;
    bool started = false;
    if (p.teams > 0) {
        TeamRec& a = m.rc(1);
        TeamRec& b = m.rc(2);
        a = TeamRec{};
        b = TeamRec{};
        a.ComName = "Команда1";
        b.ComName = "Команда2";
        std::string* am[] = {&a.R1, &a.R2, &a.R3, &a.R4};
        std::string* bm[] = {&b.R1, &b.R2, &b.R3, &b.R4};
        for (int k = 1; k <= 4; ++k) {
            *am[k - 1] = name(2 * k - 1);
            *bm[k - 1] = name(2 * k);
        }
        a.CompControl = b.CompControl = 1;
        m.NextTeam = 3;
        m.LoadedGame = kFalse;
        screens::TeamChoice teams;
        teams.playing = {a.ComName, b.ComName};
        teams.perTeam = static_cast<i16>(p.teams);
        teams.model = model(1);
        started = screens::StartTeamGame(m, teams, g.quick, g.options, g.s.dialogs) ==
                  screens::StartResult::Started;
    } else {
        g.quick.TickFirst(p.players);
        for (int row = 0; row < p.players; ++row) {
            PlayerRow& r = g.quick.rows[static_cast<std::size_t>(row)];
            r.name = name(row + 1);
            r.model = model(row + 1);
            r.computer = 1;
            r.level = level(row + 1);
        }
        started = g.quick.Go(g).kind == screens::Next::Kind::Match;
    }
    if (!started) return false;
    m.Ftr = p.friction;
    for (int slot = 1; slot <= m.MaxGamers; ++slot) {
        const auto i = static_cast<std::size_t>(slot - 1);
        m.Gobla(slot).M = static_cast<i16>(i < p.masses.size() ? p.masses[i] : 1);
        m.Gobla(slot).CompControl = 1;
        m.CompLevel(slot) = level(slot); // a team game's slots too, whatever the teams say
    }
    return true;
}

} // namespace kv::sim
