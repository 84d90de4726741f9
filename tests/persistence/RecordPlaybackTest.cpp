// Matches recorded through the replay file and played back through the match
// screen end in exactly the same state.
#include "FakeDialogs.h"
#include "match/MatchScreen.h"
#include "match/VirtualClock.h"
#include "persistence/Replay.h"
#include "persistence/SaveGame.h"
#include "physics/Physics.h"
#include "screens/GameStart.h"
#include "state/NullPorts.h"
#include "support/RecordingPorts.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace kv {
namespace {

struct MatchPlan {
    int players = 2;
    int teamSize = 0; // > 0: a team game of two teams of this size
    bool human = false;
    bool weak = false; // computers of every strength
};

// A new match the way the setup screens start one, from a seed.
bool StartMatch(Module1& m, std::uint64_t seed, const MatchPlan& s, test::FakeDialogs& d) {
    std::mt19937_64 g(seed);
    SetDefaultSettings(m);
    BuildShapes(m);
    m.Sound = m.IsCompHOD = kFalse;
    m.MaxX = static_cast<i16>(500 + g() % 501);
    m.MaxY = static_cast<i16>(400 + g() % 601);
    m.Border = Flag(g() % 3 != 0);
    m.BordMode = static_cast<i16>(g() % 2);
    m.BordSimm = Flag(g() % 2);
    m.PipaOn = Flag(g() % 2);
    m.PipaMode = static_cast<i16>(g() % 2);
    m.PipaSimm = Flag(g() % 2);
    m.VarK = static_cast<float>(0.01 + (g() % 90) / 1000.0);
    for (int p = 1; p <= kMaxPlayers; ++p)
        m.KH(p) = static_cast<i16>(p);
    SettingsRecord settings;
    screens::OptionsScreen options(settings);
    screens::QuickGameScreen quick(settings, options);
    options.friction = static_cast<int>(g() % 3);
    screens::StartResult r;
    if (s.teamSize > 0) {
        m.rc(1) = TeamRec{"Синие", 0, "А", "Б", "В", "Г", 0, 1, 0};
        m.rc(2) = TeamRec{"Красные", 0, "Д", "Е", "Ж", "З", 0, 1, 0};
        m.NextTeam = 3;
        if (s.weak) {
            m.rc(1).Level = static_cast<i16>(seed % 3);
            m.rc(2).Level = static_cast<i16>((seed + 1) % 3);
        }
        screens::TeamChoice teams;
        teams.playing = {"Синие", "Красные"};
        teams.perTeam = static_cast<i16>(s.teamSize);
        teams.model = static_cast<i16>(g() % 4);
        r = screens::StartTeamGame(m, teams, quick, options, d);
    } else {
        m.ZI = kFalse;
        quick.TickFirst(s.players);
        for (int row = 0; row < s.players; ++row) {
            quick.rows[row].name = "Игрок " + std::to_string(row + 1);
            quick.rows[row].model = static_cast<i16>(g() % 4);
            quick.rows[row].computer = s.human && row == 0 ? 0 : 1;
            if (s.weak) quick.rows[row].level = static_cast<i16>((seed + row) % 3);
        }
        r = screens::StartGame(m, quick, options, d);
    }
    if (r != screens::StartResult::Started) return false;
    for (int p = 1; p <= m.MaxGamers; ++p)
        m.Gobla(p).M = static_cast<i16>(g() % 4 == 0 ? 1 + g() % 1000 : 1 + g() % 5);
    return true;
}

struct Outcome {
    std::string state;
    long strikes = 0, ticks = 0, pots = 0;
    bool finished = false;
};

std::string FullState(const Module1& m) {
    std::string s = SnapshotText(m) + "Winner=" + std::to_string(m.Winner) +
                    " NewSgin=" + std::to_string(m.NewSgin);
    for (int i = 1; i <= 7; ++i)
        s += " " + std::to_string(m.SginList(i));
    return s;
}

// Runs the match to its end, or stops at the end of the turn of strike maxStrikes,
// as the headless runner does. A human seat alternates pot strikes and the
// automatic strike.
Outcome PlayMatch(Module1& m, ReplayPort& replay, bool replayMode, std::uint64_t seed,
                  long maxStrikes, const std::string& dir, long killAt = 0) {
    VirtualScheduler clock;
    RecordingKeyboard kb;
    NullDisplay display;
    NullSound sound;
    NullScreens screens;
    NullScene scene;
    FileSaves saves(m, dir);
    test::FakeDialogs d;
    MatchPorts ports{clock, kb, display, scene, sound, replay, saves, screens, d};
    Rng rng(seed);
    MatchScreen screen(m, ports, rng);
    clock.OnFire([&screen](TimerId id) { screen.Tick(id); });
    screen.SetReplayMode(replayMode);
    screen.Init();
    Outcome out;
    enum { Idle, Charging, Waiting } script = Idle;
    int charge = 0, humanTurns = 0;
    while (m.RenderOn != 0) {
        const auto next = clock.NextDue();
        if (!next) break;
        if (maxStrikes > 0 && screen.Strikes() >= maxStrikes && *next == TimerId::Pause) break;
        const bool human = !replayMode && m.Gobla(m.CurG).CompControl == 0 && !screen.GameOver();
        if (human && *next == TimerId::KeyBoard) {
            if (script == Idle && screen.Phase() == kv::TurnPhase::Aim) {
                if (humanTurns++ % 2 == 0) {
                    kb.Hold(Scan::G);
                } else {
                    kb.Hold(Scan::A);
                    script = Waiting;
                }
            } else if (script == Idle && screen.Phase() == kv::TurnPhase::PotCharge) {
                kb.ReleaseAll();
                kb.Hold(Scan::Space);
                script = Charging;
                charge = 10 + humanTurns * 7 % 30;
            } else if (script == Charging && --charge == 0) {
                kb.ReleaseAll();
                screen.KeyUp(Key::Space);
                ++out.pots;
                script = Waiting;
            } else if (script == Waiting && screen.Phase() != kv::TurnPhase::Aim) {
                kb.ReleaseAll();
                script = Idle;
            }
        }
        clock.FireNext();
        if (killAt > 0 && screen.Strikes() >= killAt) ::raise(SIGKILL);
        if (clock.NowMs() > 20'000'000) break; // a stuck match fails the comparison
    }
    const bool finished = screen.GameOver();
    screen.Unload();
    return {FullState(m), screen.Strikes(), screen.PhysicsTicks(), out.pots, finished};
}

// Plays the replay in the folder back from its start.
Outcome PlayBack(const std::string& dir, long maxStrikes) {
    test::FakeDialogs d;
    Module1 back;
    BuildShapes(back);
    FileReplay play(back, d);
    EXPECT_TRUE(LoadReplayFile(back, dir + "replay1.sav", d, play));
    EXPECT_TRUE(d.shown.empty()) << d.shown[0].text;
    return PlayMatch(back, play, true, 12345, maxStrikes, dir);
}

TEST(RecordPlayback, QuickTeamAndPotStrikeGamesPlayBackBitForBit) {
    // Computer quick games, computer team games, a human seat's pot strikes, and
    // weaker computers, whose draws a playback never makes.
    const struct {
        std::uint64_t first, last;
        int kind;
    } runs[] = {{1, 30, 0}, {100, 111, 1}, {200, 224, 2}, {300, 315, 3}, {400, 407, 4}};
    long pots = 0;
    for (const auto& run : runs)
        for (std::uint64_t seed = run.first; seed <= run.last; ++seed) {
            MatchPlan s;
            s.players = 2 + static_cast<int>(seed % (run.kind == 0 || run.kind == 3 ? 7 : 4));
            s.teamSize = run.kind == 1 || run.kind == 4 ? 1 + static_cast<int>(seed % 4) : 0;
            s.weak = run.kind >= 3;
            s.human = run.kind == 2;
            const long maxStrikes = s.human ? 40 : 300;
            test::TempHome home;
            test::FakeDialogs d;
            Module1 live;
            ASSERT_TRUE(StartMatch(live, seed, s, d)) << seed;
            FileReplay rec(live, d);
            const Outcome a = PlayMatch(live, rec, false, seed, maxStrikes, home.Dir());
            ASSERT_GT(a.strikes, 0);
            const Outcome b = PlayBack(home.Dir(), maxStrikes);
            EXPECT_EQ(std::tie(b.strikes, b.ticks, b.finished),
                      std::tie(a.strikes, a.ticks, a.finished))
                << "seed " << seed;
            EXPECT_EQ(b.state, a.state) << "seed " << seed;
            if (s.human) pots += a.pots;
        }
    EXPECT_GE(pots, 25);
}

TEST(RecordPlayback, AKilledRecordingPlaysBackEveryStrikeBeforeTheKill) {
    test::TempHome home;
    const long killAt = 9;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    test::FakeDialogs d;
    Module1 live;
    if (child == 0) {
        if (!StartMatch(live, 5, {6}, d)) ::_exit(2);
        FileReplay rec(live, d);
        PlayMatch(live, rec, false, 5, 0, home.Dir(), killAt);
        ::_exit(3); // the match ended before the kill
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    // The same match, live, up to the turn of the killed strike.
    ASSERT_TRUE(StartMatch(live, 5, {6}, d));
    NullReplay none;
    const Outcome a = PlayMatch(live, none, false, 5, killAt, home.Path("other"));
    const Outcome b = PlayBack(home.Dir(), killAt);
    EXPECT_EQ(b.strikes, killAt);
    EXPECT_EQ(b.state, a.state);
}

} // namespace
} // namespace kv
