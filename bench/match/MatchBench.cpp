// Speed of the match screen's text for one frame with eight names. Whole matches
// are timed by the runner's benchmark (bench/sim).
#include "match/MatchScreen.h"
#include "match/VirtualClock.h"
#include "state/NullPorts.h"

#include <benchmark/benchmark.h>

namespace {

void SetUp(kv::Module1& m, int players) {
    kv::SetDefaultSettings(m);
    kv::SetMatchDefaults(m);
    m.Sound = kv::kFalse;
    m.PipaOn = kv::kFalse;
    m.MaxPip = 0;
    m.MaxGamers = static_cast<kv::i16>(players);
    kv::PlacePieces(m);
    kv::BuildShapes(m);
    for (int i = 1; i <= players; ++i) {
        m.KH(i) = static_cast<kv::i16>(i);
        m.Gobla(i).CompControl = 1;
        m.Gobla(i).Model = static_cast<kv::i16>(i % 4);
    }
    m.CurG = 1;
    m.CurNG = 1;
    m.CurSgin = 0;
}

void BM_Overlay(benchmark::State& state) {
    kv::Module1 m;
    SetUp(m, 8);
    kv::VirtualScheduler clock;
    kv::NullKeyboard kb;
    kv::NullDisplay d;
    kv::NullScene sc;
    kv::NullSound so;
    kv::NullReplay rp;
    kv::NullSaveGame sg;
    kv::NullScreens scr;
    kv::NullDialogs dl;
    kv::Rng rng(1);
    for (int i = 1; i <= 8; ++i)
        m.Gobla(i).CompControl = 0;
    kv::MatchScreen s(m, kv::MatchPorts{clock, kb, d, sc, so, rp, sg, scr, dl}, rng);
    s.Init();
    for (auto _ : state)
        benchmark::DoNotOptimize(s.Overlay());
}
BENCHMARK(BM_Overlay);

} // namespace
