// Loading and saving a saved game of a full eight-player team match.
#include "persistence/SaveGame.h"
#include "state/MatchState.h"
#include "state/NullPorts.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

kv::Module1 FullMatch() {
    kv::Module1 m;
    m.MaxGamers = 8;
    m.ZI = kv::kTrue;
    m.N1 = 1;
    m.N2 = 2;
    m.MaxPip = 4;
    for (int p = 1; p <= 8; ++p)
        m.KH(p) = static_cast<kv::i16>(p);
    for (int s = 1; s <= kv::kPieceSlots; ++s) {
        kv::GoblaRec& g = m.Gobla(s);
        g.Xpos = 123.456789012345 + s / 7.0;
        g.Ypos = 301.0 / (s + 2);
        g.Xvec = 0.1 / s;
        g.Yvec = -1.0 / 3 / s;
        g.U = 1e-7 * s;
        g.Phi = 2.718281828 * s;
        g.RName = "Игрок " + std::to_string(s);
        g.Model = static_cast<kv::i16>(s <= 8 ? s % 4 : 5);
        g.M = static_cast<kv::i16>(s * 10);
        g.Life = kv::kTrue;
    }
    for (int t = 1; t <= kv::kTeams; ++t) {
        m.rc(t).ComName = "Команда " + std::to_string(t);
        m.rc(t).Kolvo = 4;
        m.rc(t).R1 = m.rc(t).R2 = m.rc(t).R3 = m.rc(t).R4 = "Гобла";
    }
    return m;
}

std::string BenchDir() {
    const auto dir = std::filesystem::temp_directory_path() / "kv-save-bench";
    std::filesystem::create_directories(dir);
    ::setenv("KVELMAR2_HOME", dir.c_str(), 1);
    return dir.string() + "/";
}

void BM_SaveGame(benchmark::State& state) {
    const kv::Module1 m = FullMatch();
    const std::string path = BenchDir() + "game1.zvr";
    for (auto _ : state) {
        std::string err;
        if (!kv::WriteSaveGame(m, path, &err)) state.SkipWithError(err.c_str());
    }
}
BENCHMARK(BM_SaveGame)->Unit(benchmark::kMicrosecond);

void BM_SnapshotText(benchmark::State& state) {
    const kv::Module1 m = FullMatch();
    for (auto _ : state)
        benchmark::DoNotOptimize(kv::SnapshotText(m));
}
BENCHMARK(BM_SnapshotText)->Unit(benchmark::kMicrosecond);

void BM_LoadGame(benchmark::State& state) {
    const kv::Module1 m = FullMatch();
    const std::string path = BenchDir() + "game2.zvr";
    std::string err;
    kv::WriteSaveGame(m, path, &err);
    kv::NullDialogs d;
    kv::Module1 into;
    for (auto _ : state) {
        kv::LoadGame(into, path, d);
        if (into.MaxGamers != 8) state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_LoadGame)->Unit(benchmark::kMicrosecond);

} // namespace
