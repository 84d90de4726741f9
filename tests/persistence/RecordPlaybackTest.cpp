// Matches recorded through the replay file and played back through the match
// screen end in exactly the same state; quick saves reload exactly.
#include "FakeDialogs.h"
#include "match/MatchScreen.h"
#include "match/MatchSetup.h"
#include "match/NullPorts.h"
#include "match/RecordingPorts.h"
#include "match/VirtualClock.h"
#include "persistence/Replay.h"
#include "persistence/SaveGame.h"
#include "physics/Physics.h"

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
};

// A new match the way the setup screens start one, from a seed.
bool StartMatch(Module1& m, std::uint64_t seed, const MatchPlan& s, test::FakeDialogs& d) {
    std::mt19937_64 g(seed);
    SetDefaultSettings(m);
    BuildShapes(m);
    m.Sound = kFalse;
    m.IsCompHOD = kFalse;
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
    QuickGameModel quick;
    OptionsModel options;
    options.opTr = static_cast<int>(g() % 3);
    StartResult r;
    if (s.teamSize > 0) {
        m.rc(1) = TeamRec{"Синие", 0, "А", "Б", "В", "Г", 0, 1, 0};
        m.rc(2) = TeamRec{"Красные", 0, "Д", "Е", "Ж", "З", 0, 1, 0};
        TeamScreenModel teams;
        teams.teamList = {"Синие", "Красные"};
        teams.playingList = teams.teamList;
        teams.countSlider = static_cast<i16>(s.teamSize);
        teams.modelChoice = static_cast<i16>(g() % 4);
        r = StartTeamGame(m, teams, quick, options, d);
    } else {
        m.ZI = kFalse;
        TickRows(quick, s.players);
        for (int row = 0; row < s.players; ++row) {
            quick.rows[row].txtG = "Игрок " + std::to_string(row + 1);
            quick.rows[row].cmb = static_cast<i16>(g() % 4);
            quick.rows[row].chkComp = 1;
        }
        if (s.human) quick.rows[0].chkComp = 0;
        r = StartGame(m, quick, options, d);
    }
    if (r != StartResult::Started) return false;
    for (int p = 1; p <= m.MaxGamers; ++p) {
        m.Gobla(p).M = static_cast<i16>(g() % 4 == 0 ? 1 + g() % 1000 : 1 + g() % 5);
        if (s.human) m.Gobla(p).CompControl = p == 1 ? 0 : 1;
    }
    return true;
}

struct Outcome {
    std::string state;
    i16 winner = 0;
    long strikes = 0;
    long ticks = 0;
    long pots = 0;
    bool finished = false;
    std::string quickSave; // the state right after the first F4, when there was one
};

struct Devices {
    VirtualScheduler clock;
    RecordingKeyboard kb;
    NullDisplay display;
    NullSound sound;
    NullScreens screens;
};

std::string FullState(const Module1& m) {
    std::string s = SnapshotText(m);
    s += "Winner=" + std::to_string(m.Winner) + " NewSgin=" + std::to_string(m.NewSgin);
    for (int i = 1; i <= 7; ++i)
        s += " " + std::to_string(m.SginList(i));
    return s;
}

// Runs the match to its end, or stops at the end of the turn of strike maxStrikes,
// as the headless runner does. A human seat alternates pot strikes and the
// automatic strike, and quick-saves once.
Outcome PlayMatch(Module1& m, ReplayPort& replay, bool replayMode, std::uint64_t seed,
                  long maxStrikes, const std::string& dir, long killAt = 0) {
    Devices dev;
    NullScene scene(m);
    FileSaves saves(m, dir);
    test::FakeDialogs d;
    MatchPorts ports{dev.clock, dev.kb, dev.display, scene, dev.sound,
                     replay,    saves,  dev.screens, d};
    Rng rng(seed);
    MatchScreen screen(m, ports, rng);
    screen.SetReplayMode(replayMode);
    screen.Init();
    Outcome out;
    enum { Idle, Charging, Waiting } script = Idle;
    int charge = 0;
    int humanTurns = 0;
    while (m.RenderOn != 0) {
        const auto next = dev.clock.NextDue();
        if (!next) break;
        if (maxStrikes > 0 && screen.Strikes() >= maxStrikes && *next == TimerId::Pause) break;
        const bool human = !replayMode && m.Gobla(m.CurG).CompControl == 0 && !screen.GameOver();
        if (human && *next == TimerId::KeyBoard) {
            if (script == Idle && screen.TurnPhase() == 1) {
                if (out.quickSave.empty()) {
                    screen.KeyDown(Key::F4);
                    out.quickSave = FullState(m);
                }
                if (humanTurns++ % 2 == 0) {
                    dev.kb.Hold(Scan::G);
                } else {
                    dev.kb.Hold(Scan::A);
                    script = Waiting;
                }
            } else if (script == Idle && screen.TurnPhase() == 5) {
                dev.kb.ReleaseAll();
                dev.kb.Hold(Scan::Space);
                script = Charging;
                charge = 10 + humanTurns * 7 % 30;
            } else if (script == Charging && --charge == 0) {
                dev.kb.ReleaseAll();
                screen.KeyUp(Key::Space);
                ++out.pots;
                script = Waiting;
            } else if (script == Waiting && screen.TurnPhase() != 1) {
                dev.kb.ReleaseAll();
                script = Idle;
            }
        }
        dev.clock.FireNext(screen);
        if (killAt > 0 && screen.Strikes() >= killAt) ::raise(SIGKILL);
        if (dev.clock.NowMs() > 20'000'000) break; // a stuck match fails the comparison
    }
    out.finished = screen.GameOver();
    screen.Unload();
    out.state = FullState(m);
    out.winner = m.Winner;
    out.strikes = screen.Strikes();
    out.ticks = screen.PhysicsTicks();
    return out;
}

// Records a live match into the folder's replay1.sav and plays it back.
void RecordAndPlayBack(std::uint64_t seed, const MatchPlan& s, long maxStrikes,
                       long* pots = nullptr) {
    test::TempHome home;
    test::FakeDialogs d;
    Module1 live;
    ASSERT_TRUE(StartMatch(live, seed, s, d)) << seed;
    FileReplay rec(live, d);
    const Outcome a = PlayMatch(live, rec, false, seed, maxStrikes, home.Dir());
    ASSERT_GT(a.strikes, 0);

    Module1 back;
    BuildShapes(back);
    FileReplay play(back, d);
    ASSERT_TRUE(LoadReplayFile(back, home.Path("replay1.sav"), d, play)) << seed;
    ASSERT_TRUE(d.shown.empty()) << d.shown[0].text;
    const Outcome b = PlayMatch(back, play, true, seed + 99, maxStrikes, home.Dir());
    EXPECT_EQ(b.strikes, a.strikes) << "seed " << seed;
    EXPECT_EQ(b.ticks, a.ticks) << "seed " << seed;
    EXPECT_EQ(b.winner, a.winner) << "seed " << seed;
    EXPECT_EQ(b.finished, a.finished) << "seed " << seed;
    EXPECT_EQ(b.state, a.state) << "seed " << seed;
    if (pots) *pots += a.pots;
}

TEST(RecordPlayback, ComputerQuickGamesPlayBackBitForBit) {
    for (std::uint64_t seed = 1; seed <= 30; ++seed) {
        MatchPlan s;
        s.players = 2 + static_cast<int>(seed % 7);
        RecordAndPlayBack(seed, s, 300);
    }
}

TEST(RecordPlayback, ComputerTeamGamesPlayBackBitForBit) {
    for (std::uint64_t seed = 100; seed <= 111; ++seed) {
        MatchPlan s;
        s.teamSize = 1 + static_cast<int>(seed % 4);
        RecordAndPlayBack(seed, s, 300);
    }
}

TEST(RecordPlayback, PotStrikesOfAHumanSeatPlayBackBitForBit) {
    long pots = 0;
    for (std::uint64_t seed = 200; seed <= 224; ++seed) {
        MatchPlan s;
        s.players = 2 + static_cast<int>(seed % 4);
        s.human = true;
        RecordAndPlayBack(seed, s, 40, &pots);
    }
    EXPECT_GE(pots, 25);
}

TEST(RecordPlayback, QuickSaveReloadsExactly) {
    test::TempHome home;
    test::FakeDialogs d;
    Module1 live;
    MatchPlan s;
    s.players = 4;
    s.human = true;
    ASSERT_TRUE(StartMatch(live, 77, s, d));
    NullReplay none;
    const Outcome a = PlayMatch(live, none, false, 77, 6, home.Dir());
    ASSERT_FALSE(a.quickSave.empty());
    Module1 loaded;
    LoadGame(loaded, home.Path("game1.zvr"), d);
    ASSERT_EQ(loaded.MaxGamers, 4);
    ASSERT_TRUE(d.shown.empty());
    // Everything a saved game holds comes back to the bit.
    EXPECT_EQ(SnapshotText(loaded), a.quickSave.substr(0, a.quickSave.find("Winner=")));
}

TEST(RecordPlayback, AKilledRecordingPlaysBackEveryStrikeBeforeTheKill) {
    test::TempHome home;
    MatchPlan s;
    s.players = 6;
    const long killAt = 9;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        test::FakeDialogs d;
        Module1 live;
        if (!StartMatch(live, 5, s, d)) ::_exit(2);
        FileReplay rec(live, d);
        PlayMatch(live, rec, false, 5, 0, home.Dir(), killAt);
        ::_exit(3); // the match ended before the kill
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

    // The same match, live, up to the turn of the killed strike.
    test::FakeDialogs d;
    Module1 live;
    ASSERT_TRUE(StartMatch(live, 5, s, d));
    NullReplay none;
    const Outcome a = PlayMatch(live, none, false, 5, killAt, home.Path("other"));

    Module1 back;
    BuildShapes(back);
    FileReplay play(back, d);
    ASSERT_TRUE(LoadReplayFile(back, home.Path("replay1.sav"), d, play));
    const Outcome b = PlayMatch(back, play, true, 1, killAt, home.Dir());
    EXPECT_EQ(b.strikes, killAt);
    EXPECT_EQ(b.state, a.state);
}

} // namespace
} // namespace kv
