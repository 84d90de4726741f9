// The match window driven like a player drives it: key events with the X key
// codes an X server sends, real timers, the real scene, data and sound slots.
// Needs a display with OpenGL (xvfb-run); skipped without one.
#include "frontend/MatchWindow.h"
#include "devices/sound/AlSoundBank.h"
#include "physics/Physics.h"
#include "screens/GameStart.h"
#include "support/RecordingPorts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace {

using namespace kv;

// X key codes (evdev + 8).
constexpr quint32 kXSpace = 65, kXG = 42;

// A two-player match (the second one the computer's, if asked) in its window.
struct Rig {
    explicit Rig(bool computerSecond, int screenW = 640, int screenH = 480,
                 std::function<double()> clock = {}, i16 level = kLevelMaster) {
        BuildShapes(m);
        SettingsRecord settings;
        screens::OptionsScreen options(settings);
        screens::QuickGameScreen quick(settings, options);
        quick.TickFirst(2);
        quick.rows[0].name = "Вася";
        quick.rows[1].name = "Комп";
        quick.rows[1].computer = computerSecond ? 1 : 0;
        quick.rows[1].level = level;
        for (int p = 1; p <= kMaxPlayers; ++p)
            m.KH(p) = static_cast<i16>(p);
        m.ScreenW = static_cast<i16>(screenW);
        m.ScreenH = static_cast<i16>(screenH);
        m.Windowed = m.Sound = kTrue;
        m.PipaOn = m.Border = kFalse;
        // Keys and timers are under test: the cheaper look keeps a slow
        // rasteriser's frames from stretching the held keys.
        m.Graphics = kGraphicsClassic;
        EXPECT_EQ(screens::StartGame(m, quick, options, dialogs), screens::StartResult::Started);
        EXPECT_TRUE(sound.InitSound()) << sound.Error();
        window = std::make_unique<MatchWindow>(MatchWindowSetup{
            &m, &rng, &sound, &replay, &saves, &screens, &dialogs, KV_SOURCE_DATADIR "/",
            "Kvelmar II: Zantor Билд1408", [this](const std::string& e) { log.push_back(e); },
            false, std::move(clock)});
    }
    void Key(QEvent::Type t, int key, quint32 x, Qt::KeyboardModifiers mods = {},
             const QString& text = {}, bool repeat = false) {
        QKeyEvent e(t, key, mods, x, 0, 0, text, repeat);
        QCoreApplication::sendEvent(window.get(), &e);
    }
    bool StartAndWait() {
        window->Start();
        return QTest::qWaitFor([&] { return window->Running() || window->Unloaded(); }, 30000) &&
               window->Running();
    }

    Module1 m;
    Rng rng{20240607};
    AlSoundBank sound;
    RecordingReplay replay;
    RecordingSaveGame saves{"/tmp/"};
    RecordingScreens screens;
    RecordingDialogs dialogs;
    std::vector<std::string> log;
    std::unique_ptr<MatchWindow> window;
};

class MatchWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* d = std::getenv("DISPLAY");
        if (d == nullptr || *d == 0) GTEST_SKIP() << "нужен дисплей с OpenGL (xvfb-run)";
        static QApplication* app = [] {
            setenv("ALSOFT_DRIVERS", "null", 1);
            SetDefaultGLFormat();
            static int argc = 1;
            static char name[] = "kv-match-window-test";
            static char* argv[] = {name, nullptr};
            return new QApplication(argc, argv);
        }();
        (void)app;
    }
};

bool HasText(const std::vector<TextItem>& items, const std::string& s) {
    return std::any_of(items.begin(), items.end(),
                       [&](const TextItem& t) { return t.text.find(s) != std::string::npos; });
}

TEST_F(MatchWindowTest, HumanStrikesWithSpaceThenTheComputerStrikes) {
    Rig r(true);
    ASSERT_TRUE(r.StartAndWait());
    MatchWindow& w = *r.window;
    MatchScreen& s = w.Screen();
    EXPECT_TRUE(r.dialogs.messages.empty()) << r.dialogs.messages.front();
    EXPECT_TRUE(r.log.empty()) << r.log.front();
    ASSERT_EQ(r.replay.started.size(), 1u);

    // The picture runs continuously, and shows the desk and the text, not black.
    const long frames = w.Frames();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Frames() > frames + 3; }, 10000));
    const QImage shot = w.grabFramebuffer();
    ASSERT_EQ(shot.size(), QSize(640, 480));
    long lit = 0;
    for (int y = 0; y < shot.height(); y += 4)
        for (int x = 0; x < shot.width(); x += 4)
            lit += qGray(shot.pixel(x, y)) > 24;
    EXPECT_GT(lit, 160L * 120 / 5);

    ASSERT_EQ(std::tuple(r.m.CurG, s.Phase()), std::tuple(1, kv::TurnPhase::Aim));
    // Charge with SPACE (auto-repeat pairs while held), then release.
    const double x0 = r.m.Gobla(1).Xpos, y0 = r.m.Gobla(1).Ypos;
    r.Key(QEvent::KeyPress, Qt::Key_Space, kXSpace, {}, " ");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return s.Phase() == kv::TurnPhase::Charge && r.m.StrikeForce >= 6; }, 5000));
    r.Key(QEvent::KeyRelease, Qt::Key_Space, kXSpace, {}, " ", true);
    r.Key(QEvent::KeyPress, Qt::Key_Space, kXSpace, {}, " ", true);
    EXPECT_EQ(s.Phase(), kv::TurnPhase::Charge); // a repeat release is no release
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.m.StrikeForce >= 16; }, 5000));
    r.Key(QEvent::KeyRelease, Qt::Key_Space, kXSpace, {}, " ");
    EXPECT_EQ(s.Phase(), kv::TurnPhase::Struck);
    EXPECT_EQ(s.Strikes(), 1);
    ASSERT_EQ(r.replay.written.size(), 1u);

    // The piece moves; the turn passes; the computer strikes.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Hypot(r.m.Gobla(1).Xpos - x0, r.m.Gobla(1).Ypos - y0) > 1; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.Strikes() >= 2 || w.Unloaded(); }, 30000));
    ASSERT_FALSE(w.Unloaded());
    EXPECT_EQ(r.m.CurG, 2);
    EXPECT_EQ(r.replay.written.size(), 2u);
    EXPECT_GT(s.PhysicsTicks(), 2);
}

// The champion thinks on a thread of its own and strikes when its plan comes;
// a plan still coming when the window closes is dropped, and nothing strikes.
TEST_F(MatchWindowTest, TheChampionThinksOffTheWindowsThreadAndClosingDropsItsPlan) {
    for (bool close : {false, true}) {
        double now = 0;
        Rig r(
            true, 640, 480, [&now] { return now; }, kLevelChampion);
        r.m.VarK = 0.1f; // more to think about
        ASSERT_TRUE(r.StartAndWait());
        MatchWindow& w = *r.window;
        MatchScreen& s = w.Screen();
        // The match's clock in steps of 10 ms; the plan comes through the event loop.
        auto runFor = [&](double ms) {
            for (const double until = now + ms; now < until;) {
                now += 10;
                w.Pump();
                QCoreApplication::processEvents();
            }
        };
        // A gentle strike along the near edge, clear of the obstacle, passes the turn.
        ASSERT_TRUE(s.AimAt(r.m.MaxX / 2.0, r.m.Gobla(1).Ypos));
        r.Key(QEvent::KeyPress, Qt::Key_Space, kXSpace, {}, " ");
        runFor(30);
        r.Key(QEvent::KeyRelease, Qt::Key_Space, kXSpace, {}, " ");
        for (int i = 0; i < 6000 && !s.Thinking() && !w.Unloaded(); ++i)
            runFor(10);
        ASSERT_TRUE(s.Thinking() && HasText(s.Overlay(), "обдумывает")) << close;
        if (close) w.close();
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return runFor(10), s.Strikes() >= 2 || w.Unloaded(); }, 10000));
        QTest::qWait(200);
        EXPECT_EQ(std::tuple(w.Unloaded(), r.replay.written.size()),
                  std::tuple(close, close ? 1u : 2u));
    }
}

// The mouse as a player uses it: a click on the table where the scene draws a
// point, the wheel, the right button held and let go.
TEST_F(MatchWindowTest, TheMouseAimsChargesAndStrikes) {
    Rig r(false);
    ASSERT_TRUE(r.StartAndWait());
    MatchWindow& w = *r.window;
    MatchScreen& s = w.Screen();
    ASSERT_EQ(s.Phase(), kv::TurnPhase::Aim);
    const double tx = 450, ty = 330;
    double sx = 0, sy = 0;
    ASSERT_TRUE(w.Scene().ProjectToScreen({tx / 10, 0, -ty / 10}, sx, sy));
    const QRect v = w.Display().ViewRect();
    const qreal dpr = w.devicePixelRatioF();
    const QPoint at(qRound((v.left() + sx * v.width() / r.m.ScreenW) / dpr),
                    qRound((v.top() + sy * v.height() / r.m.ScreenH) / dpr));
    QTest::mouseClick(&w, Qt::LeftButton, {}, at);
    const GoblaRec& g = r.m.Gobla(1);
    const double want = std::atan2(tx - g.Xpos, -(ty - g.Ypos));
    EXPECT_LT(std::fabs(std::remainder(s.StrikeDir() - want, 2 * r.m.Pi)), 0.1);

    const double a0 = s.PointAngle();
    QWheelEvent wheel(QPointF(at), w.mapToGlobal(QPointF(at)), {}, {0, 240}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&w, &wheel);
    EXPECT_NEAR(s.PointAngle(), a0 + 0.2, 1e-12);

    QTest::mousePress(&w, Qt::RightButton, {}, at);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return s.Phase() == kv::TurnPhase::Charge && r.m.StrikeForce >= 10; }, 5000));
    QTest::mouseRelease(&w, Qt::RightButton, {}, at);
    EXPECT_EQ(std::tuple(s.Phase(), s.Strikes()), std::tuple(kv::TurnPhase::Struck, 1L));
}

TEST_F(MatchWindowTest, HeldKeysAreForgottenWhenTheWindowLosesTheFocus) {
    Rig r(false);
    ASSERT_TRUE(r.StartAndWait());
    r.Key(QEvent::KeyPress, Qt::Key_G, kXG, {}, "g");
    r.Key(QEvent::KeyPress, Qt::Key_Space, kXSpace, {}, " ");
    EXPECT_TRUE(r.window->Keyboard().Held(Scan::G));
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(r.window.get(), &out);
    EXPECT_FALSE(r.window->Keyboard().Held(Scan::G));
    EXPECT_FALSE(r.window->Keyboard().Held(Scan::Space));
}

TEST_F(MatchWindowTest, AModeTooLargeForOpenGLFailsWithTheAdvice) {
    Rig r(false, 30000, 20000);
    QSignalSpy finished(r.window.get(), &MatchWindow::Finished);
    EXPECT_FALSE(r.StartAndWait());
    EXPECT_TRUE(r.window->Screen().InitFailed());
    EXPECT_TRUE(r.window->Unloaded());
    EXPECT_EQ(finished.count(), 1);
    ASSERT_EQ(r.dialogs.messages.size(), 1u);
    const std::string& msg = r.dialogs.messages[0];
    EXPECT_EQ(msg.rfind("OpenGL вернул ошибку: ", 0), 0u) << msg;
    EXPECT_EQ(r.log, std::vector<std::string>{msg});
    EXPECT_EQ(r.screens.log.size(), 1u);
}

} // namespace

// The same strike at 20, 60 and 144 frames a second: SPACE held for 200 ms of
// the clock gives the same force, the pieces take the same motion ticks a
// second, and the strike ends on the same bits.
TEST_F(MatchWindowTest, TimersKeepRealTimeWhateverTheFrameRate) {
    auto play = [](double fps) {
        double now = 0;
        Rig r(false, 640, 480, [&now] { return now; });
        EXPECT_TRUE(r.StartAndWait());
        MatchWindow& w = *r.window;
        const double frame = 1000 / fps;
        auto runTo = [&](double until) {
            while (now + frame < until) {
                now += frame;
                w.Pump();
            }
            now = until;
            w.Pump();
        };
        r.Key(QEvent::KeyPress, Qt::Key_Space, kXSpace, {}, " ");
        runTo(200);
        r.Key(QEvent::KeyRelease, Qt::Key_Space, kXSpace, {}, " ");
        const i16 force = r.m.StrikeForce;
        const long ticks0 = w.Screen().PhysicsTicks();
        runTo(1200);
        const long firstSecond = w.Screen().PhysicsTicks() - ticks0;
        // To the end of the strike: the next turn, or the end of the match.
        for (double t = 1200; r.m.CurG == 1 && !w.Screen().GameOver() && t < 60000; t += 500)
            runTo(t);
        EXPECT_TRUE(r.m.CurG == 2 || w.Screen().GameOver()) << fps;
        return std::tuple(force, firstSecond, w.Screen().PhysicsTicks(), r.m.Gobla(1).Xpos,
                          r.m.Gobla(1).Ypos, r.m.Gobla(2).Xpos, r.m.Gobla(2).Ypos);
    };
    const auto a = play(20);
    EXPECT_EQ(std::get<0>(a), 56); // a keyboard tick every 7 ms, 2 each
    EXPECT_EQ(std::get<1>(a), 33);
    EXPECT_GT(std::get<2>(a), 33);
    EXPECT_EQ(play(60), a);
    EXPECT_EQ(play(144), a);
}
