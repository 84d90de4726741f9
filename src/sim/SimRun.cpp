#include "sim/SimRun.h"

#include "match/MatchScreen.h"
#include "match/MatchSetup.h"
#include "match/NullPorts.h"
#include "match/VirtualClock.h"
#include "physics/Physics.h"

#include <ostream>

namespace kv::sim {

namespace {

std::string DefaultName(int slot) {
    return "Омон" + std::to_string(slot);
}

} // namespace

bool SetupPlay(Module1& m, const PlayOptions& p, DialogPort& dialogs) {
    m.LoadedGame = kFalse;
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
    auto model = [&](int slot) {
        const auto i = static_cast<std::size_t>(slot - 1);
        return static_cast<i16>(i < p.models.size() ? p.models[i] : 0);
    };

    QuickGameModel quick;
    OptionsModel options;
    options.opTr = 1;
    StartResult r;
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
        TeamScreenModel teams;
        teams.teamList = {a.ComName, b.ComName};
        teams.playingList = teams.teamList;
        teams.countSlider = static_cast<i16>(p.teams);
        teams.modelChoice = model(1);
        r = StartTeamGame(m, teams, quick, options, dialogs);
    } else {
        m.ZI = kFalse;
        for (int pl = 1; pl <= kMaxPlayers; ++pl)
            m.KH(pl) = static_cast<i16>(pl);
        TickRows(quick, p.players);
        for (int row = 0; row < p.players; ++row) {
            quick.rows[row].txtG = name(row + 1);
            quick.rows[row].cmb = model(row + 1);
            quick.rows[row].chkComp = 1;
        }
        r = StartGame(m, quick, options, dialogs);
    }
    if (r != StartResult::Started) return false;
    m.Ftr = p.friction;
    for (int slot = 1; slot <= m.MaxGamers; ++slot) {
        const auto i = static_cast<std::size_t>(slot - 1);
        m.Gobla(slot).M = static_cast<i16>(i < p.masses.size() ? p.masses[i] : 1);
        m.Gobla(slot).CompControl = 1;
    }
    return true;
}

RunResult RunMatch(Module1& m, ReplayPort& replay, bool replayMode, std::uint64_t seed,
                   long maxStrikes) {
    VirtualScheduler clock;
    NullKeyboard keyboard;
    NullDisplay display;
    NullScene scene(m);
    NullSound sound;
    NullSaveGame saves;
    NullScreens screens;
    NullDialogs dialogs;
    MatchPorts ports{clock, keyboard, display, scene, sound, replay, saves, screens, dialogs};
    Rng rng(seed);
    MatchScreen screen(m, ports, rng);
    screen.SetReplayMode(replayMode);
    const HeadlessResult h = RunHeadless(screen, clock, m, maxStrikes);
    RunResult r;
    r.finished = h.finished;
    r.winner = m.Winner;
    r.strikes = h.strikes;
    r.ticks = h.physicsTicks;
    r.virtualMs = h.virtualMs;
    return r;
}

namespace {

// Messages of a headless run go to the error stream; questions are answered Yes.
class ConsoleDialogs : public DialogPort {
public:
    explicit ConsoleDialogs(std::ostream& err) : err_(err) {}
    MsgAnswer Message(const std::string& text, MsgIcon, MsgButtons buttons,
                      const std::string& = {}) override {
        err_ << text << "\n";
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
    }
    void SetBusy(bool) override {}

private:
    std::ostream& err_;
};

void Print(std::ostream& out, const Module1& m, const RunResult& r, bool json) {
    out << (json ? ResultJson(m, r) + "\n" : ResultText(m, r));
}

} // namespace

int PlayCommand(const PlayOptions& p, std::ostream& out, std::ostream& err) {
    Module1 m;
    BuildShapes(m);
    ConsoleDialogs dialogs(err);
    if (!SetupPlay(m, p, dialogs)) return 1;
    NullReplay replay;
    const RunResult r = RunMatch(m, replay, false, p.seed, p.maxStrikes);
    Print(out, m, r, p.json);
    return 0;
}

int ReplayCommand(const ReplayOptions&, std::ostream&, std::ostream& err) {
    err << "Воспроизведение повторов пока недоступно.\n";
    return 1;
}

} // namespace kv::sim
