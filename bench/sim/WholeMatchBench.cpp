// A whole match of computer players, as kvelmar2-sim plays it.
#include "sim/SimRun.h"

#include "physics/Physics.h"
#include "state/NullPorts.h"

#include <benchmark/benchmark.h>

namespace {

void RunOne(benchmark::State& state, const kv::sim::PlayOptions& p) {
    long strikes = 0;
    for (auto _ : state) {
        kv::Module1 m;
        kv::BuildShapes(m);
        kv::NullDialogs dialogs;
        kv::sim::SetupPlay(m, p, dialogs);
        kv::NullReplay replay;
        const kv::sim::RunResult r = kv::sim::RunMatch(m, replay, false, p.seed, p.maxStrikes);
        strikes = r.strikes;
        benchmark::DoNotOptimize(m.Gobla(1).Xpos);
    }
    state.counters["strikes"] = static_cast<double>(strikes);
}

// Eight computer players, mixed models, the default table, walls and obstacles.
void BM_EightPlayerMatch(benchmark::State& state) {
    kv::sim::PlayOptions p;
    p.players = 8;
    p.models = {0, 1, 2, 3, 0, 1, 2, 3};
    p.seed = static_cast<std::uint64_t>(state.range(0));
    RunOne(state, p);
}
BENCHMARK(BM_EightPlayerMatch)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_TwoPlayerMatch(benchmark::State& state) {
    kv::sim::PlayOptions p;
    RunOne(state, p);
}
BENCHMARK(BM_TwoPlayerMatch)->Unit(benchmark::kMillisecond);

} // namespace
