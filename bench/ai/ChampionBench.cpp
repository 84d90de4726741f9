// Time of the champion's choice on positions of real matches: the median and
// the worst over the positions of 2, 4 and 8 pieces, and the busiest tables
// the physics survey found.
#include "ai/Champion.h"
#include "persistence/SaveGame.h"
#include "physics/Physics.h"
#include "sim/SimRun.h"
#include "state/NullPorts.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

namespace kv {
namespace {

// Keeps the table as it stands before every strike of the match.
class Positions : public NullReplay {
public:
    Positions(const Module1& m, std::vector<Module1>& out) : m_(m), out_(out) {}
    void WriteReplayStep(const StrikeRecord&, i16 pot) override {
        if (pot == 0) out_.push_back(m_);
    }

private:
    const Module1& m_;
    std::vector<Module1>& out_;
};

// Positions of computer matches of the weaker strengths on tables and spreads
// of every kind, the same ones on every run.
std::vector<Module1> MatchPositions(int players, std::size_t count) {
    std::vector<Module1> out;
    static const int sizes[] = {200, 300, 400, 600, 800, 1000};
    for (std::uint64_t seed = 1; out.size() < count; ++seed) {
        sim::PlayOptions p;
        p.players = players;
        p.seed = seed;
        p.tableX = sizes[seed % 6];
        p.tableY = sizes[(seed / 6) % 6];
        p.spread = 0.05 * static_cast<double>(seed % 3);
        p.obstacles = static_cast<int>(seed % 3);
        p.wall = static_cast<int>((seed / 3) % 3);
        for (int k = 0; k < players; ++k) {
            p.levels.push_back(static_cast<int>((seed + k) % 3));
            p.models.push_back(static_cast<int>((seed + k) % 4));
        }
        Module1 m;
        BuildShapes(m);
        NullDialogs dialogs;
        if (!sim::SetupPlay(m, p, dialogs)) continue;
        Positions keep(m, out);
        sim::RunMatch(m, keep, false, seed, 200);
    }
    out.resize(count);
    return out;
}

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Processor time of this thread: what the choice itself took on a busy machine.
double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

void Choices(benchmark::State& st, const std::vector<Module1>& tables) {
    std::vector<double> ms;
    std::vector<double> cpu;
    std::vector<double> work;
    std::vector<double> nsPerWork;
    std::size_t i = 0;
    for (auto _ : st) {
        const Module1& m = tables[i++ % tables.size()];
        ChampionStats stats;
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = CpuMs();
        const PlannedStrike plan =
            ChooseChampion(m, m.CurG, ChampionSeed(m), kChampionWork, nullptr, &stats);
        cpu.push_back(CpuMs() - c0);
        ms.push_back(Ms(std::chrono::steady_clock::now() - t0));
        work.push_back(static_cast<double>(stats.work));
        nsPerWork.push_back(cpu.back() * 1e6 / std::max(1.0, work.back()));
        benchmark::DoNotOptimize(plan.strike.si);
    }
    for (auto* v : {&ms, &cpu, &work, &nsPerWork})
        std::sort(v->begin(), v->end());
    st.counters["positions"] = static_cast<double>(ms.size());
    st.counters["median_ms"] = ms[ms.size() / 2];
    st.counters["worst_ms"] = ms.back();
    st.counters["median_cpu_ms"] = cpu[cpu.size() / 2];
    st.counters["worst_cpu_ms"] = cpu.back();
    st.counters["ns_per_work_lo"] = nsPerWork.front();
    st.counters["ns_per_work_hi"] = nsPerWork.back();
    st.counters["median_work"] = work[work.size() / 2];
    st.counters["worst_work"] = work.back();
}

// 1,000 positions in all: a third of them for each number of pieces.
void BM_ChampionChoice(benchmark::State& st) {
    const int players = static_cast<int>(st.range(0));
    static std::vector<Module1> tables[9];
    std::vector<Module1>& t = tables[players];
    if (t.empty()) t = MatchPositions(players, players == 8 ? 334 : 333);
    Choices(st, t);
}
BENCHMARK(BM_ChampionChoice)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->Iterations(333)
    ->Unit(benchmark::kMillisecond);

// The busiest table of the guard survey and a piece wedged between obstacles.
void BM_ChampionOnTheBusiestTables(benchmark::State& st) {
    std::vector<Module1> tables;
    for (const char* file : {"busiest.zvr", "wedge.zvr"}) {
        Module1 m;
        BuildShapes(m);
        NullDialogs dialogs;
        LoadGame(m, std::string(KV_BENCH_DATA) + "/" + file, dialogs);
        tables.push_back(m);
    }
    Choices(st, tables);
}
BENCHMARK(BM_ChampionOnTheBusiestTables)->Iterations(4)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kv
