// Playing back a recorded eight-player computer match from its replay file.
#include "match/Headless.h"
#include "match/VirtualClock.h"
#include "persistence/Replay.h"
#include "physics/Physics.h"
#include "screens/GameStart.h"
#include "state/NullPorts.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

long Play(kv::Module1& m, kv::ReplayPort& replay, bool replayMode) {
    kv::VirtualScheduler clock;
    kv::NullKeyboard kb;
    kv::NullDisplay display;
    kv::NullScene scene;
    kv::NullSound sound;
    kv::NullSaveGame saves((std::filesystem::temp_directory_path() / "").string());
    kv::NullScreens screens;
    kv::NullDialogs d;
    kv::MatchPorts ports{clock, kb, display, scene, sound, replay, saves, screens, d};
    kv::Rng rng(8);
    kv::MatchScreen screen(m, ports, rng);
    screen.SetReplayMode(replayMode);
    return kv::RunHeadless(screen, clock, m, 0).strikes;
}

void BM_PlayBackEightPlayers(benchmark::State& state) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "kv-bench-replay.sav").string();
    kv::NullDialogs d;
    {
        kv::Module1 m;
        kv::SetDefaultSettings(m);
        kv::BuildShapes(m);
        m.Sound = kv::kFalse;
        m.VarK = 0.05f;
        m.MaxX = 1000;
        m.MaxY = 1000;
        for (int p = 1; p <= 8; ++p)
            m.KH(p) = static_cast<kv::i16>(p);
        kv::SettingsRecord settings;
        kv::screens::OptionsScreen options(settings);
        kv::screens::QuickGameScreen quick(settings, options);
        quick.TickFirst(8);
        for (auto& row : quick.rows)
            row.computer = 1;
        kv::screens::StartGame(m, quick, options, d);
        kv::FileReplay rec(m, d);
        rec.SetRecordPath(path);
        state.counters["strikes"] = static_cast<double>(Play(m, rec, false));
    }
    for (auto _ : state) {
        kv::Module1 m;
        kv::BuildShapes(m);
        kv::FileReplay play(m, d);
        if (!kv::LoadReplayFile(m, path, d, play)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(Play(m, play, true));
    }
}
BENCHMARK(BM_PlayBackEightPlayers)->Unit(benchmark::kMillisecond);

} // namespace
