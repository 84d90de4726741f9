#include "sim/SimRun.h"

#include "sim/SimGame.h"

#include "match/Headless.h"
#include "match/VirtualClock.h"
#include "persistence/Folders.h"
#include "persistence/Replay.h"
#include "persistence/Text.h"
#include "physics/Physics.h"
#include "screens/GameScreens.h"
#include "screens/GameStart.h"
#include "state/NullPorts.h"

#include <chrono>
#include <ostream>
#include <thread>

namespace kv::sim {

bool SetupPlay(Module1& m, const PlayOptions& p, DialogPort& dialogs) {
    SimGame game(m, dialogs, p.seed);
    return SetupGame(game.g, p);
}

bool ContinueSeries(SimGame& game) {
    // The results screen's "ПРОДОЛЖИТЬ ГОБЛУ!": the next match at once.
    screens::GameScreens& g = game.g;
    const screens::Next n = g.results.Continue(g);
    if (n.kind != screens::Next::Kind::Match) return false;
    g.flow.Apply(n, screens::ScreenId::Results);
    return true;
}

void Print(std::ostream& out, const Module1& m, const RunResult& r, bool json) {
    out << (json ? ResultJson(m, r) + "\n" : ResultText(m, r));
}

void PrintSeries(std::ostream& out, SimGame& game, const std::vector<std::string>& entries,
                 bool json) {
    const Module1& m = game.g.m;
    const screens::ResultsScreen& res = game.g.results;
    if (json) {
        out << SeriesJson(entries) << "\n";
        return;
    }
    out << "Серия из " << entries.size() << " матчей. Очки (Формула-1, линейная, победитель):\n";
    for (int s = 1; s <= m.MaxGamers; ++s)
        out << "  " << s << ". " << m.Gobla(s).RName << ": " << m.Gobla(s).ScoreFTotal << ", "
            << m.Gobla(s).ScoreLTotal << ", " << m.Gobla(s).ScoreATotal << "\n";
    if (m.ZI != 0)
        out << "Очки команд (как на экране итогов): " << res.team1 << ": " << res.team1Score << "; "
            << res.team2 << ": " << res.team2Score << "\n";
}

RunResult RunMatch(Module1& m, ReplayPort& replay, bool replayMode, std::uint64_t seed,
                   long maxStrikes, const RunPace& pace, ScreensPort* after) {
    HeadlessDevices devices;
    VirtualScheduler& clock = devices.clock;
    MatchPorts ports = devices.Ports(replay, after);
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
    // Nothing is shown: the match runs in its own time, whichever look the
    // settings name (the modern one lets the pot fall slower to be seen).
    const i16 look = m.Graphics;
    m.Graphics = kGraphicsClassic;
    const HeadlessResult h = RunHeadless(screen, clock, m, maxStrikes, 600000,
                                         hooked ? afterTick : std::function<void()>{});
    m.Graphics = look;
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

int SeriesCommand(const PlayOptions& p, int matches, std::ostream& out, std::ostream& err) {
    Module1 m;
    BuildShapes(m);
    ConsoleDialogs dialogs(err);
    SimGame game(m, dialogs, p.seed);
    screens::GameScreens& g = game.g;
    if (!SetupGame(g, p)) return 1;
    std::vector<std::string> entries;
    for (int i = 0; i < matches; ++i) {
        if (i > 0 && !ContinueSeries(game)) return 1;
        const std::string turnOrder = TurnOrderJson(m);
        NullReplay replay;
        RunMatch(m, replay, false, p.seed + static_cast<std::uint64_t>(i), p.maxStrikes, {},
                 &g.flow);
        entries.push_back(SeriesMatchJson(m, turnOrder));
    }
    PrintSeries(out, game, entries, p.json);
    return 0;
}

int InfoCommand(const std::string& file, std::ostream& out, std::ostream& err) {
    const bool replay = EndsWithNoCase(file, ".sav");
    std::string text;
    const bool ok = screens::LoadFileInfo(
        file, replay ? screens::LoadMode::Replays : screens::LoadMode::Games, &text);
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, "\n");
    (ok ? out : err) << text << "\n";
    return ok ? 0 : 1;
}

} // namespace kv::sim
