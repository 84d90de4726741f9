// Frame rate and frame times (median, 99th percentile) of the match's opening
// view and of a busy eight-piece strike, in either look, at 1024x768 and
// 1920x1080: eight players, room, textures, the text over the picture. Run
// under xvfb-run; each frame is finished (glFinish) so the software
// rasteriser's whole work is counted. The modern look is measured after its
// quality watch has settled, as a player would see it.
#include "SceneTestData.h"

#include "devices/scene/GameScene.h"
#include "support/RecordingPorts.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>

namespace kv {
namespace {

struct View {
    View(int look, int w, int h) : gl(w, h), width(w), height(h) {
        if (!gl.Available()) return;
        std::string dir = testing::RealGameData();
        if (!std::filesystem::exists(dir + "/mesh/goblatable.x")) {
            tiny = std::make_unique<testing::TinyGameData>();
            dir = tiny->Dir();
        }
        testing::SetupOpeningMatch(m, 8, w, h);
        m.Graphics = static_cast<i16>(look);
        if (const char* e = std::getenv("KV_BENCH_RENDERNUM"))
            m.RenderNum = static_cast<i16>(std::atoi(e));
        if (std::getenv("KV_BENCH_NOROOM")) m.UseRoom = 0;
        if (std::getenv("KV_BENCH_NOTEX")) m.UseTex = 0;
        GameSceneOptions o;
        o.dataDir = dir;
        o.clockMs = [this] { return now; };
        scene = std::make_unique<GameScene>(m, display, dialogs, nullptr, o);
        built = scene->BuildScene();
        text = {{10, 10,
                 "[F1:Помощь]  [F3:Имена<вкл>]  [F4:Сохранить]  [F6:Пауза <выкл>]  [F7:Стрелка "
                 "<вкл>]  [F8:Звук <вкл>]  [F9/[,]:Камера]"},
                {20, h - 70, "Ходит игрок Игрок 1"},
                {20, h - 40, "Игра началась"},
                {20, h - 20, "Нажмите ПРОБЕЛ, чтобы ударить"}};
        for (int n = 1; n <= 8; ++n) {
            double x = 0, y = 0;
            const GoblaRec& g = m.Gobla(n);
            scene->ProjectToScreen({g.Xpos / 10, 0, -g.Ypos / 10}, x, y);
            TextItem label{static_cast<int>(x) - 15, static_cast<int>(y) - 40, g.RName};
            label.label = true;
            text.push_back(label);
        }
        for (int n = 1; n <= 8; ++n)
            start[static_cast<size_t>(n)] = {m.Gobla(n).Xpos, m.Gobla(n).Ypos};
    }
    // Every piece on the move, the turn ring, the force bar and a banner.
    void Strike(double t) {
        MatchLook look;
        for (int n = 1; n <= 8; ++n) {
            GoblaRec& g = m.Gobla(n);
            const double a = t / 700 + n;
            g.Xpos = start[static_cast<size_t>(n)].first + 60 * std::sin(a);
            g.Ypos = start[static_cast<size_t>(n)].second + 40 * std::cos(a * 1.3);
            g.Phi = a;
            scene->PlacePiece(n);
            look.pieces[static_cast<size_t>(n)].tint[0] = 0.2f + 0.1f * static_cast<float>(n);
        }
        look.pieces[1].turn = true;
        look.force = 0.6f;
        look.banner = "Ход переходит к игроку Игрок 2";
        look.bannerAlpha = 0.8f;
        scene->ShowLook(look);
    }
    testing::GlTarget gl;
    int width, height;
    std::unique_ptr<testing::TinyGameData> tiny;
    Module1 m;
    NullDisplay display;
    RecordingDialogs dialogs;
    std::unique_ptr<GameScene> scene;
    std::vector<TextItem> text;
    std::array<std::pair<double, double>, 9> start{};
    double now = 0;
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

// Arguments: look (0 classic, 1 modern), width, height, busy (0 opening view, 1 strike).
void BM_Frames(benchmark::State& state) {
    const int look = static_cast<int>(state.range(0)), w = static_cast<int>(state.range(1)),
              h = static_cast<int>(state.range(2));
    const bool busy = state.range(3) != 0;
    // One context per size and look for the whole run: building the scene is not measured.
    // Kept to the end of the process: the contexts must not outlive the application.
    static auto& views = *new std::map<std::tuple<int, int, int>, std::unique_ptr<View>>;
    auto& slot = views[{look, w, h}];
    if (!slot) slot = std::make_unique<View>(look, w, h);
    View& v = *slot;
    if (!v.gl.Available() || !v.built) {
        state.SkipWithError(v.gl.Available() ? "сцена не построена" : v.gl.Why().c_str());
        return;
    }
    v.gl.Bind();
    QOpenGLFunctions* f = QOpenGLContext::currentContext()->functions();
    auto frame = [&] {
        if (busy) v.Strike(v.now);
        v.scene->RenderFrame(v.now, v.text);
        f->glFinish();
        v.now += 1000.0 / 60;
    };
    // The modern look settles its quality over the first seconds, as in a match.
    QElapsedTimer settle;
    settle.start();
    while (look == kGraphicsModern && !v.scene->QualitySettled() && settle.elapsed() < 10000)
        frame();
    std::vector<double> times;
    timespec c0{}, c1{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c0);
    QElapsedTimer t;
    for (auto _ : state) {
        t.start();
        frame();
        times.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c1);
    // All threads of the process, the rasteriser's included.
    const double cpuMs = (c1.tv_sec - c0.tv_sec) * 1e3 + (c1.tv_nsec - c0.tv_nsec) / 1e6;
    std::sort(times.begin(), times.end());
    auto at = [&](double q) {
        return times.empty()
                   ? 0
                   : times[std::min(times.size() - 1, static_cast<size_t>(q * times.size()))];
    };
    state.counters["median_ms"] = at(0.5);
    state.counters["p99_ms"] = at(0.99);
    state.counters["cpu_ms_per_frame"] = cpuMs / static_cast<double>(state.iterations());
    state.counters["triangles"] = static_cast<double>(Triangles(*v.scene->Graph().root));
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    if (look == kGraphicsModern) {
        const scene::Quality q = v.scene->CurrentQuality();
        state.SetLabel(scene::DescribeQuality(q));
    }
}

BENCHMARK(BM_Frames)
    ->ArgNames({"look", "w", "h", "busy"})
    ->ArgsProduct({{kGraphicsClassic, kGraphicsModern}, {1024}, {768}, {0, 1}})
    ->ArgsProduct({{kGraphicsClassic, kGraphicsModern}, {1920}, {1080}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2)
    ->UseRealTime();

} // namespace
} // namespace kv
