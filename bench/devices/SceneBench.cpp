// Frame rate of the match's opening view: eight players, room, textures, the
// text over the picture, 1024x768. Run under xvfb-run; each frame is finished
// (glFinish) so the software rasteriser's whole work is counted.
#include "SceneTestData.h"

#include "devices/scene/GameScene.h"
#include "support/RecordingPorts.h"

#include <benchmark/benchmark.h>

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>

namespace kv {
namespace {

struct OpeningView {
    OpeningView() : gl(1024, 768) {
        if (!gl.Available()) return;
        std::string dir = testing::RealGameData();
        if (!std::filesystem::exists(dir + "/mesh/goblatable.x")) {
            tiny = std::make_unique<testing::TinyGameData>();
            dir = tiny->Dir();
        }
        testing::SetupOpeningMatch(m, 8, 1024, 768);
        if (const char* e = std::getenv("KV_BENCH_RENDERNUM"))
            m.RenderNum = static_cast<i16>(std::atoi(e));
        if (std::getenv("KV_BENCH_NOROOM")) m.UseRoom = 0;
        if (std::getenv("KV_BENCH_NOTEX")) m.UseTex = 0;
        if (std::getenv("KV_BENCH_FEW")) m.MaxGamers = 0;
        GameSceneOptions o;
        o.dataDir = dir;
        o.clockMs = [] { return 0.0; };
        scene = std::make_unique<GameScene>(m, display, dialogs, nullptr, o);
        built = scene->BuildScene();
        text = {{10, 10,
                 "[F1:Помощь]  [F3:Имена<вкл>]  [F4:Сохранить]  [F6:Пауза <выкл>]  [F7:Стрелка "
                 "<вкл>]  [F8:Звук <вкл>]  [F9/[,]:Камера]"},
                {20, 768 - 70, "Ходит игрок Игрок 1"},
                {20, 768 - 40, "Игра началась"},
                {20, 768 - 20, "Нажмите ПРОБЕЛ, чтобы ударить"}};
        for (int n = 1; n <= 8; ++n) {
            double x = 0, y = 0;
            const GoblaRec& g = m.Gobla(n);
            scene->ProjectToScreen({g.Xpos / 10, 0, -g.Ypos / 10}, x, y);
            text.push_back({static_cast<int>(x) - 15, static_cast<int>(y) - 40, g.RName});
        }
    }
    testing::GlTarget gl;
    std::unique_ptr<testing::TinyGameData> tiny;
    Module1 m;
    NullDisplay display;
    RecordingDialogs dialogs;
    std::unique_ptr<GameScene> scene;
    std::vector<TextItem> text;
    bool built = false;
};

size_t Triangles(const scene::Frame& f) {
    size_t n = 0;
    for (const auto& mesh : f.Visuals())
        if (mesh->Data()) n += mesh->Data()->TriangleCount();
    for (const auto& c : f.Children())
        n += Triangles(*c);
    return n;
}

OpeningView& View() {
    static OpeningView v; // one context for the whole run
    return v;
}

void Frames(benchmark::State& state, bool withText) {
    OpeningView& v = View();
    if (!v.gl.Available() || !v.built) {
        state.SkipWithError(v.gl.Available() ? "сцена не построена" : v.gl.Why().c_str());
        return;
    }
    v.gl.Bind();
    QOpenGLFunctions* f = QOpenGLContext::currentContext()->functions();
    const std::vector<TextItem> none;
    double t = 0;
    timespec c0{}, c1{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c0);
    for (auto _ : state) {
        v.scene->RenderFrame(t, withText ? v.text : none);
        f->glFinish();
        t += 1000.0 / 60;
    }
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c1);
    // All threads of the process, the rasteriser's included: what a frame costs
    // on an idle machine, whatever else the machine is doing.
    const double cpuMs = (c1.tv_sec - c0.tv_sec) * 1e3 + (c1.tv_nsec - c0.tv_nsec) / 1e6;
    state.counters["cpu_ms_per_frame"] = cpuMs / static_cast<double>(state.iterations());
    state.counters["triangles"] = static_cast<double>(Triangles(*v.scene->Graph().root));
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_OpeningViewFrame(benchmark::State& state) {
    Frames(state, true);
}
void BM_OpeningViewSceneOnly(benchmark::State& state) {
    Frames(state, false);
}
BENCHMARK(BM_OpeningViewFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpeningViewSceneOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace kv
