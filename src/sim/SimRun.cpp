#include "sim/SimRun.h"

#include "match/Headless.h"
#include "match/MatchSetup.h"
#include "match/VirtualClock.h"
#include "persistence/Replay.h"
#include "persistence/Settings.h"
#include "physics/Physics.h"
#include "state/NullPorts.h"

#include <chrono>
#include <ostream>
#include <thread>

namespace kv::sim {

namespace {

std::string DefaultName(int slot) {
    return "Омон" + std::to_string(slot);
}

} // namespace

namespace {

// The quick game from a settings file: its ticked rows, names, models, masses,
// table, friction, walls, obstacles and spread; every player the computer.
bool SetupFromSettings(Module1& m, const PlayOptions& p, DialogPort& dialogs) {
    QuickGameModel quick;
    OptionsModel options;
    if (!LoadSettingsFile(m, quick, options, p.settings, dialogs)) return false;
    m.LoadedGame = kFalse;
    m.ZI = kFalse;
    m.IsCompHOD = kFalse;
    for (int pl = 1; pl <= kMaxPlayers; ++pl)
        m.KH(pl) = static_cast<i16>(pl);
    quick.GamersCount = static_cast<i16>(quick.TickedRows());
    if (quick.GamersCount < 2) {
        dialogs.Message("В файле параметров отмечено меньше двух игроков.", MsgIcon::Information,
                        MsgButtons::Ok);
        return false;
    }
    for (PlayerRow& row : quick.rows)
        row.chkComp = 1;
    // The mass editor writes row r's mass into slot r + 1; keep the ticked rows' masses
    // with their players.
    std::array<i16, kRows> mass{};
    for (int r = 0; r < kRows; ++r)
        mass[static_cast<std::size_t>(r)] = m.Gobla(r + 1).M;
    if (StartGame(m, quick, options, dialogs) != StartResult::Started) return false;
    int slot = 0;
    for (int r = 0; r < kRows && slot < m.MaxGamers; ++r)
        if (quick.rows[static_cast<std::size_t>(r)].chk == 1)
            m.Gobla(++slot).M = mass[static_cast<std::size_t>(r)];
    for (int i = 1; i <= m.MaxGamers; ++i)
        m.Gobla(i).CompControl = 1;
    return true;
}

} // namespace

bool SetupPlay(Module1& m, const PlayOptions& p, DialogPort& dialogs) {
    if (!p.settings.empty()) return SetupFromSettings(m, p, dialogs);
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
                   long maxStrikes, const RunPace& pace) {
    VirtualScheduler clock;
    NullKeyboard keyboard;
    NullDisplay display;
    NullScene scene;
    NullSound sound;
    NullSaveGame saves;
    NullScreens screens;
    NullDialogs dialogs;
    MatchPorts ports{clock, keyboard, display, scene, sound, replay, saves, screens, dialogs};
    Rng rng(seed);
    MatchScreen screen(m, ports, rng);
    screen.SetReplayMode(replayMode);

    const auto start = std::chrono::steady_clock::now();
    long traced = 0;
    auto afterTick = [&] {
        if (pace.trace && screen.Strikes() != traced) {
            traced = screen.Strikes();
            *pace.trace << "удар " << traced << std::endl;
        }
        if (pace.realtime)
            std::this_thread::sleep_until(start + std::chrono::milliseconds(clock.NowMs()));
    };
    const bool hooked = pace.realtime || pace.trace;
    const HeadlessResult h = RunHeadless(screen, clock, m, maxStrikes, 600000,
                                         hooked ? afterTick : std::function<void()>{});
    RunResult r;
    // A replay that runs out before its match ended also sets GameOver; only a
    // winner (or -1, nobody left) says the match itself is over.
    r.finished = h.finished && m.Winner != 0;
    r.winner = m.Winner;
    r.strikes = h.strikes;
    r.ticks = h.physicsTicks;
    r.guardHits = h.guardHits;
    r.busiest = h.busiest;
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
    RunPace pace{p.realtime, p.trace ? &err : nullptr};
    RunResult r;
    if (p.record.empty()) {
        NullReplay replay;
        r = RunMatch(m, replay, false, p.seed, p.maxStrikes, pace);
    } else {
        FileReplay replay(m, dialogs);
        replay.SetRecordPath(p.record);
        r = RunMatch(m, replay, false, p.seed, p.maxStrikes, pace);
        if (!replay.RecordingError().empty()) {
            // The match was played, but its recording is not whole: never a success.
            Print(out, m, r, p.json);
            err << "Повтор не записан полностью в файл " << p.record << ": "
                << replay.RecordingError() << "\n";
            return kExitWriteFailed;
        }
    }
    Print(out, m, r, p.json);
    return 0;
}

int ReplayCommand(const ReplayOptions& o, std::ostream& out, std::ostream& err) {
    Module1 m;
    BuildShapes(m);
    ConsoleDialogs dialogs(err);
    FileReplay replay(m, dialogs);
    if (!LoadReplayFile(m, o.file, dialogs, replay)) return 1;
    m.IsCompHOD = kFalse; // the runner does not wait for ENTER
    m.LoadedGame = kFalse;
    RunPace pace{o.realtime, o.trace ? &err : nullptr};
    const RunResult r = RunMatch(m, replay, true, o.seed, 0, pace);
    Print(out, m, r, o.json);
    return 0;
}

} // namespace kv::sim
