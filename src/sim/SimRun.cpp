#include "sim/SimRun.h"

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

namespace {

std::string DefaultName(int slot) {
    return "Омон" + std::to_string(slot);
}

class NoWeb : public screens::WebPort {
public:
    bool OpenFile(const std::string&, std::string* why) override {
        if (why) *why = "нет браузера";
        return false;
    }
    bool OpenUrl(const std::string& url, std::string* why) override { return OpenFile(url, why); }
};

class NoPrompt : public screens::PromptPort {
public:
    std::string AskSavePath(const screens::SavePrompt&) override { return {}; }
};

// Remembers what the screens asked for; the runner plays the match itself.
class SimView : public screens::ViewPort {
public:
    void Show(screens::ScreenId s, screens::ScreenId) override { shown = s; }
    void ShowBeside(screens::ScreenId) override {}
    void HideBeside(screens::ScreenId) override {}
    void StartMatch(bool) override { ++matches; }
    void Quit() override {}
    screens::ScreenId shown = screens::ScreenId::None;
    int matches = 0;
};

} // namespace

// The screens of a headless run: no files kept, the dialogs given.
struct SimGame {
    SimGame(Module1& m, DialogPort& dialogs, std::uint64_t seed)
        : rng(seed),
          g(m,
            screens::Services{
                dialogs, web, prompt, rng, {}, DataDir(), "kvelmar2-sim", nullptr, nullptr, {}},
            view) {}
    NoWeb web;
    NoPrompt prompt;
    SimView view;
    Rng rng;
    screens::GameScreens g;
};

namespace {

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

bool Setup(screens::GameScreens& g, const PlayOptions& p) {
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

} // namespace

bool SetupPlay(Module1& m, const PlayOptions& p, DialogPort& dialogs) {
    SimGame game(m, dialogs, p.seed);
    return Setup(game.g, p);
}

RunResult RunMatch(Module1& m, ReplayPort& replay, bool replayMode, std::uint64_t seed,
                   long maxStrikes, const RunPace& pace, ScreensPort* after) {
    VirtualScheduler clock;
    NullKeyboard keyboard;
    NullDisplay display;
    NullScene scene;
    NullSound sound;
    NullSaveGame saves;
    NullScreens none;
    NullDialogs dialogs;
    MatchPorts ports{clock,  keyboard, display, scene, sound, replay, saves, after ? *after : none,
                     dialogs};
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

namespace {

// Messages of a headless run go to the error stream; questions are answered Yes.
class ConsoleDialogs : public DialogPort {
public:
    explicit ConsoleDialogs(std::ostream& err) : err_(err) {}
    MsgAnswer Message(const std::string& text, MsgIcon, MsgButtons buttons,
                      const std::string& = {}) override {
        err_ << text << "\n";
        return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgAnswer::Ok
                                                                            : MsgAnswer::Yes;
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

namespace {

std::string Array(const Module1& m, i16 GoblaRec::*f) {
    std::string s = "[";
    for (int i = 1; i <= m.MaxGamers; ++i)
        s += (i > 1 ? ", " : "") + std::to_string(m.Gobla(i).*f);
    return s + "]";
}

std::string Scores(const Module1& m, i16 GoblaRec::*f1, i16 GoblaRec::*lin, i16 GoblaRec::*all) {
    return "{\"formula1\": " + Array(m, f1) + ", \"linear\": " + Array(m, lin) +
           ", \"all\": " + Array(m, all) + "}";
}

std::string Places(const Module1& m, const Table1<i16, kMaxPlayers>& t) {
    std::string s = "[";
    for (int i = 1; i <= m.MaxGamers; ++i)
        s += (i > 1 ? ", " : "") + std::to_string(t(i));
    return s + "]";
}

} // namespace

int SeriesCommand(const PlayOptions& p, int matches, std::ostream& out, std::ostream& err) {
    Module1 m;
    BuildShapes(m);
    ConsoleDialogs dialogs(err);
    SimGame game(m, dialogs, p.seed);
    screens::GameScreens& g = game.g;
    if (!Setup(g, p)) return 1;
    std::string json = "{\"matches\": [";
    for (int i = 0; i < matches; ++i) {
        if (i > 0) {
            // The results screen's "ПРОДОЛЖИТЬ ГОБЛУ!": the next match at once.
            const screens::Next n = g.results.Continue(g);
            if (n.kind != screens::Next::Kind::Match) return 1;
            g.flow.Apply(n, screens::ScreenId::Results);
        }
        const std::string turnOrder = Places(m, m.KH);
        NullReplay replay;
        RunMatch(m, replay, false, p.seed + static_cast<std::uint64_t>(i), p.maxStrikes, {},
                 &g.flow);
        if (i > 0) json += ", ";
        json += "{\"turn_order\": " + turnOrder + ", \"finishing_order\": " + Places(m, m.WS) +
                ", \"winner\": " + std::to_string(m.Winner > 0 ? m.Winner : 0) +
                ", \"alive\": " + std::to_string(AliveCount(m)) + ", \"round\": " +
                Scores(m, &GoblaRec::ScoreF, &GoblaRec::ScoreL, &GoblaRec::ScoreA) +
                ", \"total\": " +
                Scores(m, &GoblaRec::ScoreFTotal, &GoblaRec::ScoreLTotal, &GoblaRec::ScoreATotal);
        if (m.ZI != 0)
            json += ", \"team_scores\": [" + std::to_string(m.rc(m.N1).Score) + ", " +
                    std::to_string(m.rc(m.N2).Score) + "]";
        json += "}";
    }
    json += "]}";
    if (p.json) {
        out << json << "\n";
    } else {
        out << "Серия из " << matches << " матчей. Очки (Формула-1, линейная, победитель):\n";
        for (int s = 1; s <= m.MaxGamers; ++s)
            out << "  " << s << ". " << m.Gobla(s).RName << ": " << m.Gobla(s).ScoreFTotal << ", "
                << m.Gobla(s).ScoreLTotal << ", " << m.Gobla(s).ScoreATotal << "\n";
        if (m.ZI != 0)
            out << "Очки команд (как на экране итогов): " << g.results.team1 << ": "
                << g.results.team1Score << "; " << g.results.team2 << ": " << g.results.team2Score
                << "\n";
    }
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
