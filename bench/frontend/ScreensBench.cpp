// How long the player waits between the windows and the match, in the real
// front end (run under xvfb-run): from pressing "ГОБЛА!!!" to the match's
// first frame, and from the match's end to the results window on the screen.
// Two computer players on the smallest table, without sound, end quickly.
// Also the processor time a second of a computer match costs at 1024x768, in
// either look: the frame loop must not burn the machine.
#include "frontend/GameApp.h"
#include "frontend/MatchWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>

namespace {

using namespace kv;
using screens::ScreenId;

QApplication& App() {
    static QApplication* app = [] {
        setenv("ALSOFT_DRIVERS", "null", 1);
        SetDefaultGLFormat();
        static int argc = 1;
        static char name[] = "kv-screens-bench";
        static char* argv[] = {name, nullptr};
        auto* a = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        return a;
    }();
    return *app;
}

QAbstractButton* Button(QWidget* w, const QString& caption) {
    for (auto* b : w->findChildren<QAbstractButton*>())
        if (b->text() == caption) return b;
    return nullptr;
}

void BM_MatchStartAndEnd(benchmark::State& st) {
    App();
    char tmpl[] = "/tmp/kvbenchXXXXXX";
    const std::string dir = std::string(mkdtemp(tmpl)) + "/";
    GameApp game(GameAppSetup{KV_SOURCE_DATADIR "/", dir, "Kvelmar II: Zantor"});
    game.Start();
    QTest::keyClick(game.Window(ScreenId::Splash), Qt::Key_Space); // the slide show
    screens::GameScreens& g = game.Screens();
    g.menu.CloseTour();
    Module1& m = game.State();
    g.options.Load(m);
    g.options.settings.sizeX = g.options.settings.sizeY = "200";
    g.options.settings.sound = 0;
    // KV_BENCH_GRAPHICS=0: the classic look, to compare the start against.
    if (const char* look = std::getenv("KV_BENCH_GRAPHICS")) g.options.graphics = std::atoi(look);
    g.options.Done(g);
    for (int r = 0; r < 2; ++r)
        g.quick.rows[static_cast<std::size_t>(r)].computer = 1;
    double toFrame = 0, toResults = 0;
    for (auto _ : st) {
        game.Apply(screens::Next::To(ScreenId::QuickGame), ScreenId::MainMenu);
        QWidget* quick = game.Window(ScreenId::QuickGame);
        if (!QTest::qWaitForWindowExposed(quick)) {
            st.SkipWithError("the quick game window is not shown");
            break;
        }
        QElapsedTimer t;
        t.start();
        QTest::mouseClick(Button(quick, QStringLiteral("ГОБЛА!!!")), Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return game.Match() && game.Match()->Frames() >= 1; }, 20000)) {
            st.SkipWithError("no frame of the match");
            break;
        }
        const double a = t.nsecsElapsed() / 1e6;
        // The last moment the match was still on, polled every millisecond.
        QElapsedTimer end;
        QTimer poll;
        poll.setInterval(1);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (m.RenderOn != 0) end.start();
        });
        poll.start();
        QWidget* results = game.Window(ScreenId::Results);
        if (!QTest::qWaitFor(
                [&] {
                    return results->isVisible() && results->windowHandle() &&
                           results->windowHandle()->isExposed();
                },
                120000)) {
            st.SkipWithError("no results window");
            break;
        }
        poll.stop();
        const double b = end.isValid() ? end.nsecsElapsed() / 1e6 : 0;
        st.SetIterationTime((a + b) / 1000);
        toFrame += a;
        toResults += b;
    }
    st.counters["to_first_frame_ms"] =
        benchmark::Counter(toFrame, benchmark::Counter::kAvgIterations);
    st.counters["end_to_results_ms"] =
        benchmark::Counter(toResults, benchmark::Counter::kAvgIterations);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_MatchStartAndEnd)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

double ProcessCpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// Argument: the look (0 classic, 1 modern). Counts the cores' time a second of
// play takes, from the first frame on, over at most eight seconds.
void BM_ComputerMatchCpu(benchmark::State& st) {
    App();
    char tmpl[] = "/tmp/kvbenchXXXXXX";
    const std::string dir = std::string(mkdtemp(tmpl)) + "/";
    GameApp game(GameAppSetup{KV_SOURCE_DATADIR "/", dir, "Kvelmar II: Zantor"});
    game.Start();
    QTest::keyClick(game.Window(ScreenId::Splash), Qt::Key_Space);
    screens::GameScreens& g = game.Screens();
    g.menu.CloseTour();
    Module1& m = game.State();
    g.options.Load(m);
    g.options.mode = "1024x768x32";
    g.options.graphics = static_cast<int>(st.range(0));
    g.options.settings.sound = 0;
    g.options.Done(g);
    for (int r = 0; r < 2; ++r)
        g.quick.rows[static_cast<std::size_t>(r)].computer = 1;
    double cores = 0, fps = 0;
    for (auto _ : st) {
        game.Apply(screens::Next::To(ScreenId::QuickGame), ScreenId::MainMenu);
        QWidget* quick = game.Window(ScreenId::QuickGame);
        if (!QTest::qWaitForWindowExposed(quick)) {
            st.SkipWithError("the quick game window is not shown");
            break;
        }
        QTest::mouseClick(Button(quick, QStringLiteral("ГОБЛА!!!")), Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return game.Match() && game.Match()->Frames() >= 1; }, 20000)) {
            st.SkipWithError("no frame of the match");
            break;
        }
        const long f0 = game.Match()->Frames();
        QElapsedTimer t;
        t.start();
        const double c0 = ProcessCpuMs();
        (void)QTest::qWaitFor([&] { return m.RenderOn == 0; }, 8000);
        const double wall = t.nsecsElapsed() / 1e6, cpu = ProcessCpuMs() - c0;
        if (game.Match()) fps += (game.Match()->Frames() - f0) * 1000.0 / wall;
        cores += cpu / wall;
        st.SetIterationTime(wall / 1000);
        if (m.RenderOn != 0 && game.Match()) game.Match()->close();
        (void)QTest::qWaitFor([&] { return m.RenderOn == 0; }, 5000);
    }
    st.counters["cores_per_second_of_play"] =
        benchmark::Counter(cores, benchmark::Counter::kAvgIterations);
    st.counters["fps"] = benchmark::Counter(fps, benchmark::Counter::kAvgIterations);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ComputerMatchCpu)
    ->Arg(kGraphicsClassic)
    ->Arg(kGraphicsModern)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
