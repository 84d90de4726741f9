// Speed of the match screen: whole computer matches in virtual time (the headless
// runner's cost per match) and the text of one frame with eight names.
#include "match/MatchScreen.h"
#include "match/NullPorts.h"
#include "match/VirtualClock.h"

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

void BM_HeadlessMatch(benchmark::State& state) {
    const int players = static_cast<int>(state.range(0));
    long strikes = 0;
    std::uint64_t seed = 1;
    for (auto _ : state) {
        kv::Module1 m;
        SetUp(m, players);
        kv::Rng rng(seed++);
        kv::VirtualScheduler clock;
        kv::NullKeyboard kb;
        kv::NullDisplay d;
        kv::NullScene sc(m);
        kv::NullSound so;
        kv::NullReplay rp;
        kv::NullSaveGame sg;
        kv::NullScreens scr;
        kv::NullDialogs dl;
        kv::MatchScreen s(m, kv::MatchPorts{clock, kb, d, sc, so, rp, sg, scr, dl}, rng);
        kv::HeadlessResult r = kv::RunHeadless(s, clock, m, 5000);
        strikes += r.strikes;
        benchmark::DoNotOptimize(r);
    }
    state.counters["strikes"] =
        benchmark::Counter(static_cast<double>(strikes), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HeadlessMatch)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_Overlay(benchmark::State& state) {
    kv::Module1 m;
    SetUp(m, 8);
    kv::VirtualScheduler clock;
    kv::NullKeyboard kb;
    kv::NullDisplay d;
    kv::NullScene sc(m);
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
