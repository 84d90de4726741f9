// Cost of one motion tick: PhysicsStep(1.0) on typical and crowded tables.
#include "ai/CompBrain.h"
#include "persistence/SaveGame.h"
#include "physics/Physics.h"
#include "physics/Strike.h"
#include "state/MatchState.h"
#include "state/NullPorts.h"

#include <benchmark/benchmark.h>

namespace kv {
namespace {

Module1 Table(int players, int obstacles, bool walls, i16 X = 600, i16 Y = 400) {
    Module1 m;
    m.MaxGamers = static_cast<i16>(players);
    m.MaxX = X;
    m.MaxY = Y;
    m.LoadedGame = kTrue;
    BuildShapes(m);
    PlacePieces(m);
    for (int k = 1; k <= players; ++k) {
        m.Gobla(k).Model = static_cast<i16>((k - 1) % 4);
        m.Gobla(k).RName = "Омон" + std::to_string(k);
    }
    m.MaxPip = static_cast<i16>(obstacles);
    m.PipaOn = Flag(obstacles > 0);
    for (int o = 1; o <= obstacles; ++o) {
        GoblaRec& g = m.Gobla(players + o);
        g.Model = kModelObstacle;
        g.Life = kTrue;
        g.Xpos = X * (0.2 + 0.15 * o);
        g.Ypos = Y * (o % 2 ? 0.35 : 0.65);
    }
    m.Border = Flag(walls);
    m.BordMode = 1;
    m.BordSimm = kTrue;
    WriteWalls(m);
    return m;
}

// Everything slides slowly towards the centre without touching within one step.
void Slide(Module1& m) {
    for (int k = 1; k <= m.MaxGamers; ++k) {
        GoblaRec& g = m.Gobla(k);
        g.Xvec = g.Xpos < m.MaxX / 2 ? 0.5 : -0.5;
        g.Yvec = 0.1;
        g.U = 0.05;
    }
}

// Runs contact-free steps; every 20 steps the players are put back (a few
// field copies, cheaper than pausing the clock).
void RunFree(benchmark::State& st, Module1& m) {
    const Module1 base = m;
    int n = 0;
    for (auto _ : st) {
        if (++n == 20) {
            for (int k = 1; k <= m.MaxGamers; ++k) {
                GoblaRec& g = m.Gobla(k);
                const GoblaRec& b = base.Gobla(k);
                g.Xpos = b.Xpos;
                g.Ypos = b.Ypos;
                g.Xvec = b.Xvec;
                g.Yvec = b.Yvec;
                g.U = b.U;
                g.Phi = b.Phi;
            }
            n = 0;
        }
        PhysicsStep(m, 1.0, nullptr);
        benchmark::DoNotOptimize(m.Gobla(1).Xpos);
    }
    st.counters["objects"] = ObjectCount(m);
}

void BM_StepFree(benchmark::State& st, int players, int obstacles) {
    Module1 m = Table(players, obstacles, true);
    Slide(m);
    RunFree(st, m);
}
BENCHMARK_CAPTURE(BM_StepFree, p8_o4_w2, 8, 4);
BENCHMARK_CAPTURE(BM_StepFree, p2_o2_w2, 2, 2);

// Sixteen occupied slots: eight players, six obstacles, two walls.
void BM_StepFree16(benchmark::State& st) {
    Module1 base = Table(8, 4, true);
    base.MaxPip = 6;
    for (int o = 5; o <= 6; ++o) {
        GoblaRec& g = base.Gobla(8 + o);
        g.Model = kModelObstacle;
        g.Life = kTrue;
        g.Xpos = 300;
        g.Ypos = o == 5 ? 120 : 280;
    }
    WriteWalls(base);
    Slide(base);
    RunFree(st, base);
}
BENCHMARK(BM_StepFree16);

// A tick with contacts: pieces pushed into each other and into an obstacle.
void BM_StepContacts(benchmark::State& st) {
    Module1 base = Table(8, 4, true);
    // Pairs 1-4 and 3-2 and 5-6 close in on each other.
    auto put = [&](int k, double x, double y, double vx) {
        GoblaRec& g = base.Gobla(k);
        g.Xpos = x;
        g.Ypos = y;
        g.Xvec = vx;
        g.Model = 3;
    };
    put(1, 100, 100, 6);
    put(4, 142, 100, -6);
    put(3, 300, 330, 5);
    put(2, 342, 330, 0);
    put(5, 450, 200, 4);
    put(6, 492, 200, -4);
    for (auto _ : st) {
        st.PauseTiming();
        Module1 m = base;
        st.ResumeTiming();
        PhysicsStep(m, 1.0, nullptr);
        benchmark::DoNotOptimize(m.Gobla(1).Xvec);
    }
}
BENCHMARK(BM_StepContacts);

// The first tick of eight players on the smallest table: they start
// overlapping, and the heaviest pieces need about 10^11 separation pushes.
void BM_CrowdedStart(benchmark::State& st, i16 mass) {
    Module1 base = Table(8, 0, true, 200, 200);
    for (int k = 1; k <= 8; ++k)
        base.Gobla(k).M = mass;
    base.Gobla(1).Xvec = 5;
    StepLoad load;
    for (auto _ : st) {
        st.PauseTiming();
        Module1 m = base;
        st.ResumeTiming();
        load = PhysicsStep(m, 1.0, nullptr);
        benchmark::DoNotOptimize(m.Gobla(1).Xvec);
    }
    st.counters["pushes"] = static_cast<double>(load.pushes);
    st.counters["resolutions"] = static_cast<double>(load.resolutions);
}
BENCHMARK_CAPTURE(BM_CrowdedStart, mass1, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CrowdedStart, mass1000, 1000)->Unit(benchmark::kMillisecond);

// Tables saved just before the busiest tick that the guard survey found in a
// match that ended, and before a tick of a piece wedged between two obstacles,
// which runs until the guard stops it: the worst tick the guards allow.
void BM_SavedTick(benchmark::State& st, const char* file) {
    Module1 base;
    BuildShapes(base);
    NullDialogs dialogs;
    LoadGame(base, std::string(KV_BENCH_DATA) + "/" + file, dialogs);
    if (base.MaxGamers == 0) {
        st.SkipWithError("the saved table cannot be read");
        return;
    }
    StepLoad load;
    for (auto _ : st) {
        st.PauseTiming();
        Module1 m = base;
        st.ResumeTiming();
        load = PhysicsStep(m, 1.0, nullptr);
        benchmark::DoNotOptimize(m.Gobla(1).Xvec);
    }
    st.counters["resolutions"] = static_cast<double>(load.resolutions);
    st.counters["guarded"] = load.guarded ? 1 : 0;
}
BENCHMARK_CAPTURE(BM_SavedTick, busiest, "busiest.zvr")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SavedTick, wedge_to_the_guard, "wedge.zvr")
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

} // namespace
} // namespace kv

namespace kv {
namespace {

// A whole match of eight computer players with mixed models on the default
// table, turns taken in slot order, without the match screen around it.
void BM_ComputerMatch(benchmark::State& st) {
    Module1 base = Table(8, 2, true);
    for (int k = 1; k <= 8; ++k)
        base.Gobla(k).CompControl = kTrue;
    long strikes = 0, ticks = 0;
    for (auto _ : st) {
        st.PauseTiming();
        Module1 m = base;
        Rng rng(42);
        st.ResumeTiming();
        int turn = 0;
        for (int s = 0; s < 400 && AliveCount(m) > 1; ++s) {
            do
                turn = turn % 8 + 1;
            while (m.Gobla(turn).Life == 0);
            m.CurG = static_cast<i16>(turn);
            m.NewSgin = 0;
            double dir = 0;
            const StrikeRecord r = ChooseStrike(m, m.CurG, dir);
            PushStrike(m, r);
            ++strikes;
            for (int t = 0; t < 100000 && !AllStopped(m); ++t, ++ticks)
                PhysicsStep(m, 1.0, nullptr);
        }
        benchmark::DoNotOptimize(m.Gobla(1).Xpos);
    }
    st.counters["strikes"] =
        benchmark::Counter(static_cast<double>(strikes), benchmark::Counter::kAvgIterations);
    st.counters["ticks"] =
        benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ComputerMatch)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kv
