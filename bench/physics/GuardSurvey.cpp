// How close real play comes to the physics guards: plays computer matches and
// random-strike matches on crowded tables and prints the most searches,
// resolutions, separation pushes and separation tests that one motion tick
// took, with the set-up that took them.
//
//   guard_survey [matches per kind, 10000] [first seed, 1]
#include "match/Headless.h"
#include "match/VirtualClock.h"
#include "persistence/SaveGame.h"
#include "physics/Physics.h"
#include "physics/Strike.h"
#include "sim/SimRun.h"
#include "state/NullPorts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace kv;

struct Setup {
    sim::PlayOptions p;
    bool randomStrikes = false;
};

// One crowded table from a seed: 6 to 8 pieces on 200 to 300 units, any
// models, masses 1 to 1000, walls and obstacles or none.
Setup MakeSetup(std::uint64_t seed) {
    Rng r(seed * 7919 + 17);
    Setup s;
    sim::PlayOptions& p = s.p;
    s.randomStrikes = (seed & 1) != 0;
    p.seed = seed;
    p.players = 6 + r.NextInt(3);
    p.tableX = 200 + r.NextInt(101);
    p.tableY = 200 + r.NextInt(101);
    p.friction = 0.01 * (1 + r.NextInt(3));
    p.wall = r.NextInt(3);
    p.wallMirror = r.NextInt(2) == 1;
    p.obstacles = r.NextInt(3);
    p.obstaclesMirror = r.NextInt(2) == 1;
    p.spread = r.NextInt(3) == 0 ? 0.1 * r.Next01() : 0;
    const int massKind = r.NextInt(4); // 0: all 1, 1: all 1000, else mixed
    for (int k = 0; k < p.players; ++k) {
        p.models.push_back(r.NextInt(4));
        int mass = 1;
        if (massKind == 1) mass = 1000;
        if (massKind >= 2) mass = r.NextInt(2) == 0 ? 1 + r.NextInt(10) : 1 + r.NextInt(1000);
        p.masses.push_back(mass);
    }
    p.maxStrikes = 400;
    return s;
}

std::string List(const std::vector<int>& v) {
    std::string s;
    for (int x : v)
        s += (s.empty() ? "" : ",") + std::to_string(x);
    return s;
}

std::string CommandLine(const Setup& s) {
    const sim::PlayOptions& p = s.p;
    static const char* wall[] = {"off", "pos1", "pos2"};
    static const char* obst[] = {"off", "part1", "part2"};
    char buf[512];
    std::snprintf(
        buf, sizeof buf,
        "%s--players %d --models %s --masses %s --table %dx%d --friction %g --wall %s "
        "--wall-mirror %s --obstacles %s --obstacles-mirror %s --spread %.17g --seed %llu",
        s.randomStrikes ? "[random strikes] " : "", p.players, List(p.models).c_str(),
        List(p.masses).c_str(), p.tableX, p.tableY, p.friction, wall[p.wall],
        p.wallMirror ? "yes" : "no", obst[p.obstacles], p.obstaclesMirror ? "yes" : "no", p.spread,
        static_cast<unsigned long long>(p.seed));
    return buf;
}

struct Outcome {
    StepLoad busiest;
    long guardHits = 0;
};

void Keep(StepLoad& into, const StepLoad& l) {
    into.searches = std::max(into.searches, l.searches);
    into.resolutions = std::max(into.resolutions, l.resolutions);
    into.pushes = std::max(into.pushes, l.pushes);
    into.checks = std::max(into.checks, l.checks);
}

// The table just before the busiest tick of a match (or its first guarded
// one, where the match then stops), for the tick benchmarks.
struct Capture {
    Module1 before;
    long long resolutions = -1;
    bool guarded = false;
};

// Strikes at random points, in random directions, with random force, turn by
// turn, until one piece is left or 400 strikes were made.
Outcome RandomStrikes(Module1& m, std::uint64_t seed, Capture* cap) {
    Outcome o;
    Rng rng(seed);
    int turn = 0;
    for (int s = 0; s < 400 && AliveCount(m) > 1; ++s) {
        do
            turn = turn % m.MaxGamers + 1;
        while (m.Gobla(turn).Life == 0);
        m.CurG = static_cast<i16>(turn);
        m.NewSgin = 0;
        StrikeRecord r;
        r.ba = 2 * m.Pi * rng.Next01();
        r.pa = 2 * m.Pi * rng.Next01();
        r.si = static_cast<i16>(1 + rng.NextInt(100));
        PushStrike(m, r);
        for (int t = 0; t < 100000 && !AllStopped(m); ++t) {
            const Module1 before = cap ? m : Module1{};
            const StepLoad l = PhysicsStep(m, 1.0, nullptr);
            Keep(o.busiest, l);
            if (l.guarded) ++o.guardHits;
            if (cap && !cap->guarded && (l.guarded || l.resolutions > cap->resolutions)) {
                *cap = Capture{before, l.resolutions, l.guarded};
                if (l.guarded) return o;
            }
        }
    }
    return o;
}

Outcome Play(const Setup& s, Capture* cap = nullptr) {
    Module1 m;
    BuildShapes(m);
    NullDialogs dialogs;
    if (!sim::SetupPlay(m, s.p, dialogs)) {
        std::fprintf(stderr, "refused: %s\n", CommandLine(s).c_str());
        std::exit(1);
    }
    if (s.randomStrikes) {
        PrepareTable(m); // the walls, as a match start writes them
        return RandomStrikes(m, s.p.seed, cap);
    }
    if (cap) {
        HeadlessDevices devices;
        VirtualScheduler& clock = devices.clock;
        NullReplay replay;
        MatchPorts ports = devices.Ports(replay);
        Rng rng(s.p.seed);
        MatchScreen screen(m, ports, rng);
        Module1 before = m;
        long hits = 0;
        const HeadlessResult h = RunHeadless(screen, clock, m, s.p.maxStrikes, 600000, [&] {
            const StepLoad& b = screen.BusiestStep();
            const bool guarded = screen.GuardHits() > hits;
            if (guarded || b.resolutions > cap->resolutions) {
                *cap = Capture{before, b.resolutions, guarded};
                if (guarded) m.RenderOn = kFalse;
            }
            hits = screen.GuardHits();
            before = m;
        });
        return Outcome{h.busiest, h.guardHits};
    }
    NullReplay replay;
    const sim::RunResult r = sim::RunMatch(m, replay, false, s.p.seed, s.p.maxStrikes);
    return Outcome{r.busiest, r.guardHits};
}

} // namespace

// guard_survey capture SEED FILE: the table before that set-up's busiest tick
// as a saved game.
int CaptureCommand(std::uint64_t seed, const char* file) {
    Capture cap;
    Play(MakeSetup(seed), &cap);
    std::string err;
    if (!WriteSaveGame(cap.before, file, &err)) {
        std::fprintf(stderr, "%s: %s\n", file, err.c_str());
        return 1;
    }
    std::printf("%s: before a tick of %lld resolutions%s\n", file, cap.resolutions,
                cap.guarded ? " (guarded)" : "");
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "capture")
        return CaptureCommand(std::strtoull(argv[2], nullptr, 10), argv[3]);
    const long perKind = argc > 1 ? std::atol(argv[1]) : 10000;
    const std::uint64_t first = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    const long total = 2 * perKind;

    std::mutex mu;
    std::array<long long, 4> best{};
    std::array<std::uint64_t, 4> bestSeed{};
    long guardHits = 0;
    long next = 0;
    // The ten busiest set-ups by resolutions, for golden tests.
    std::vector<std::pair<long long, std::uint64_t>> busiest;
    // Matches by the decimal order of their busiest tick's figures.
    std::array<std::array<long, 20>, 4> orders{};
    std::vector<std::uint64_t> guarded;

    auto worker = [&] {
        for (;;) {
            long i;
            {
                std::lock_guard<std::mutex> g(mu);
                if (next >= total) return;
                i = next++;
            }
            const std::uint64_t seed = first + static_cast<std::uint64_t>(i);
            const Outcome o = Play(MakeSetup(seed));
            const std::array<long long, 4> v{o.busiest.searches, o.busiest.resolutions,
                                             o.busiest.pushes, o.busiest.checks};
            std::lock_guard<std::mutex> g(mu);
            guardHits += o.guardHits;
            if (o.guardHits > 0) guarded.push_back(seed);
            for (std::size_t k = 0; k < 4; ++k)
                ++orders[k][v[k] < 1 ? 0 : static_cast<std::size_t>(std::log10(v[k])) + 1];
            // A match the guards had to stop counts as one that could never end;
            // the figures are those of the matches that did.
            for (std::size_t k = 0; k < 4 && o.guardHits == 0; ++k)
                if (v[k] > best[k]) {
                    best[k] = v[k];
                    bestSeed[k] = seed;
                }
            busiest.emplace_back(o.busiest.resolutions, seed);
            std::sort(busiest.rbegin(), busiest.rend());
            if (busiest.size() > 10) busiest.resize(10);
        }
    };
    const unsigned n = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < n; ++t)
        pool.emplace_back(worker);
    for (std::thread& t : pool)
        t.join();

    std::printf("matches: %ld computer, %ld random strikes; guard hits: %ld\n", perKind, perKind,
                guardHits);
    const char* names[] = {"searches", "resolutions", "separation pushes", "separation tests"};
    for (std::size_t k = 0; k < 4; ++k)
        std::printf("most %s in one tick of a match that ended: %lld\n  %s\n", names[k], best[k],
                    CommandLine(MakeSetup(bestSeed[k])).c_str());
    std::printf("matches by the busiest tick (0, 1-9, 10-99, ...):\n");
    for (std::size_t k = 0; k < 4; ++k) {
        std::printf("  %-18s", names[k]);
        for (long c : orders[k])
            std::printf(" %ld", c);
        std::printf("\n");
    }
    std::sort(guarded.begin(), guarded.end());
    for (std::uint64_t seed : guarded)
        std::printf("guard acted: %s\n", CommandLine(MakeSetup(seed)).c_str());
    std::printf("busiest set-ups by resolutions:\n");
    for (const auto& [res, seed] : busiest)
        std::printf("  %lld  %s\n", res, CommandLine(MakeSetup(seed)).c_str());
    return 0;
}
