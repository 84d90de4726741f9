// Whole matches through the runner: the result it prints, and the final states
// pinned bit for bit so that no change to the rules or to their speed goes unseen.
#include "sim/SimRun.h"

#include "persistence/Numbers.h"
#include "physics/Physics.h"
#include "state/NullPorts.h"
#include "support/RecordingPorts.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using kv::sim::PlayOptions;

struct Played {
    kv::Module1 m;
    kv::sim::RunResult r;
};

Played Play(const PlayOptions& p) {
    Played out;
    kv::BuildShapes(out.m);
    kv::NullDialogs dialogs;
    EXPECT_TRUE(kv::sim::SetupPlay(out.m, p, dialogs));
    kv::NullReplay replay;
    out.r = kv::sim::RunMatch(out.m, replay, false, p.seed, p.maxStrikes);
    return out;
}

// FNV-1a over the bits of everything a match ends with.
std::uint64_t Digest(const kv::Module1& m, const kv::sim::RunResult& r) {
    std::uint64_t h = 1469598103934665603ull;
    auto add = [&](const void* p, std::size_t n) {
        const auto* b = static_cast<const unsigned char*>(p);
        for (std::size_t i = 0; i < n; ++i)
            h = (h ^ b[i]) * 1099511628211ull;
    };
    for (int s = 1; s <= kv::kPieceSlots; ++s) {
        const kv::GoblaRec& g = m.Gobla(s);
        for (double v : {g.Xpos, g.Ypos, g.Xvec, g.Yvec, g.U, g.Phi})
            add(&v, sizeof v);
        for (kv::i16 v : {g.Life, g.Sginul, g.Model, g.M})
            add(&v, sizeof v);
    }
    for (int i = 1; i <= kv::kMaxPlayers; ++i)
        add(&m.WS(i), sizeof(kv::i16));
    for (long v : {static_cast<long>(r.winner), r.strikes, r.ticks, static_cast<long>(r.virtualMs)})
        add(&v, sizeof v);
    return h;
}

PlayOptions Opts(int players, std::uint64_t seed) {
    PlayOptions p;
    p.players = players;
    p.seed = seed;
    return p;
}

} // namespace

// Masters in every slot are the match that names no strengths, to the bit; a
// weaker player changes it.
TEST(SimPlay, MasterLevelsAreTheDefaultMatch) {
    for (int players : {2, 4}) {
        const Played plain = Play(Opts(players, 11));
        PlayOptions p = Opts(players, 11);
        p.levels.assign(static_cast<std::size_t>(players), kv::kLevelMaster);
        const Played masters = Play(p);
        EXPECT_EQ(Digest(masters.m, masters.r), Digest(plain.m, plain.r)) << players;
        p.levels[0] = kv::kLevelNovice;
        const Played novice = Play(p);
        EXPECT_NE(Digest(novice.m, novice.r), Digest(plain.m, plain.r)) << players;
        EXPECT_EQ(novice.m.CompLevel(1), kv::kLevelNovice);
    }
}

TEST(SimPlay, StrikeLimitStopsAnUnfinishedMatch) {
    PlayOptions p = Opts(8, 5);
    p.maxStrikes = 1;
    const Played g = Play(p);
    EXPECT_EQ(std::tuple(g.r.strikes, g.r.finished, g.r.winner), std::tuple(1, false, 0));
}

// The modern look's slower pot is a picture; the headless match keeps its time.
TEST(SimPlay, TheLookNeverChangesAHeadlessMatchsTime) {
    auto run = [](kv::i16 look) {
        kv::Module1 m;
        kv::SetDefaultSettings(m);
        kv::SetMatchDefaults(m);
        kv::BuildShapes(m);
        kv::PlacePieces(m);
        m.Graphics = look;
        m.IsCompHOD = kv::kFalse;
        kv::RecordingReplay replay;
        replay.toRead = {{{}, 100}, {{0, 0, 30}, 0}};
        const kv::sim::RunResult r = kv::sim::RunMatch(m, replay, true, 1, 0);
        EXPECT_EQ(m.Graphics, look); // the setting is left as it was
        return std::tuple(r.virtualMs, r.strikes);
    };
    EXPECT_EQ(run(kv::kGraphicsModern), run(kv::kGraphicsClassic));
}

// Replays are compared through this output: every real in it is printed in the
// shortest form that reads back exactly (tests/persistence/TextFileTest.cpp).
TEST(SimPlay, JsonPrintsEveryRealInFull) {
    PlayOptions p = Opts(6, 11);
    p.spread = 0.1;
    p.json = true;
    std::ostringstream out, err;
    ASSERT_EQ(kv::sim::PlayCommand(p, out, err), 0);
    EXPECT_EQ(out.str().rfind("{\"finished\": ", 0), 0u);
    const Played g = Play(p);
    for (int i = 1; i <= 6; ++i)
        EXPECT_NE(out.str().find("\"phi\": " + kv::RealText(g.m.Gobla(i).Phi) + ","),
                  std::string::npos);
}

// Pinned final states of fixed computer matches. A change here means a match
// now ends differently: replays recorded before would no longer play back.
TEST(SimPlay, GoldenFinalStates) {
    std::vector<PlayOptions> p = {Opts(2, 1), Opts(8, 7), Opts(5, 9),
                                  Opts(8, 4), Opts(8, 1), Opts(8, 6)};
    p[1].models = {0, 1, 2, 3, 3, 2, 1, 0};
    p[2].masses = {1, 3, 10, 1, 1000}; // first wall position, four obstacles, spread
    p[2].wall = 1;
    p[2].obstacles = 2;
    p[2].obstaclesMirror = true;
    p[2].spread = 0.05;
    p[2].friction = 0.01;
    p[3].teams = 4; // 4 against 4 on the largest table
    p[3].models = {1};
    p[3].tableX = p[3].tableY = 1000;
    p[3].wall = 0;
    p[4].tableX = p[4].tableY = 200;
    // Spread sends the pieces at angles whose sines the C library's code for
    // processors with and without FMA rounded differently: this match ended
    // two ways before the sines were rounded exactly.
    p[5].models = {0, 1, 2, 3, 0, 1, 2, 3};
    p[5].spread = 0.1;
    const std::uint64_t digests[] = {0x19480b958dcfe870ull, 0x5ea72ee754a4c8e6ull,
                                     0xc7323a9a952b1a3cull, 0x99db992ecd521ec3ull,
                                     0x5d1f8b0310c82b0eull, 0x71aa20acc169f479ull};
    for (std::size_t i = 0; i < p.size(); ++i) {
        const Played g = Play(p[i]);
        const std::uint64_t d = Digest(g.m, g.r);
        EXPECT_EQ(d, digests[i]) << "case " << i << ": 0x" << std::hex << d;
    }
}

// Crowded tables of the guard survey, the busiest it found among them: they
// must be played out by the rules alone, never cut short by a guard.
TEST(SimPlay, CrowdedTablesArePlayedOutByTheRules) {
    auto crowded = [](int players, std::vector<int> models, std::vector<int> masses, int x, int y,
                      double friction, int wall, bool wallMirror, int obstacles,
                      bool obstaclesMirror, std::uint64_t seed) {
        PlayOptions p = Opts(players, seed);
        p.models = std::move(models);
        p.masses = std::move(masses);
        p.tableX = x;
        p.tableY = y;
        p.friction = friction;
        p.wall = wall;
        p.wallMirror = wallMirror;
        p.obstacles = obstacles;
        p.obstaclesMirror = obstaclesMirror;
        p.maxStrikes = 400;
        return p;
    };
    const std::vector<int> heavy(8, 1000);
    const std::vector<PlayOptions> p = {
        crowded(7, {3, 1, 2, 3, 3, 0, 1}, {10, 5, 1, 2, 1, 1, 1}, 300, 300, 0.03, 2, true, 0, false,
                1),
        crowded(6, {1, 1, 1, 1, 0, 2}, {1, 1, 1, 1, 1, 1}, 273, 222, 0.02, 0, false, 2, true, 6448),
        crowded(8, {3, 0, 2, 0, 0, 2, 1, 2}, {534, 868, 3, 834, 875, 759, 6, 7}, 205, 206, 0.02, 2,
                true, 1, false, 10102),
        crowded(8, {0, 1, 2, 3, 0, 1, 2, 3}, heavy, 200, 200, 0.02, 2, true, 1, false, 1),
        crowded(8, {2, 1, 3, 2, 0, 3, 0, 1}, heavy, 221, 242, 0.03, 2, false, 2, true, 340),
    };
    const std::uint64_t digests[] = {0xdf99b85bcce5341bull, 0xec83d6987a316fd1ull,
                                     0x508319126f410a1cull, 0xb36d53652329325cull,
                                     0x833c507104d6e773ull};
    for (std::size_t i = 0; i < p.size(); ++i) {
        const Played g = Play(p[i]);
        EXPECT_TRUE(g.r.finished) << i;
        EXPECT_EQ(g.r.guardHits, 0) << i;
        const std::uint64_t d = Digest(g.m, g.r);
        EXPECT_EQ(d, digests[i]) << "case " << i << ": 0x" << std::hex << d;
    }
}
