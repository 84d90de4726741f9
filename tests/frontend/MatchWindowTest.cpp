// The match window driven like a player drives it: key events with the X key
// codes an X server sends, real timers, the real scene, data and sound slots.
// Needs a display with OpenGL (xvfb-run); skipped without one.
#include "frontend/MatchWindow.h"
#include "devices/sound/AlSoundBank.h"
#include "match/MatchSetup.h"
#include "match/NullPorts.h"
#include "match/RecordingPorts.h"
#include "physics/Physics.h"

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

using namespace kv;

// X key codes (evdev + 8).
constexpr quint32 kXEsc = 9, kXSpace = 65, kXKp9 = 81, kXKp7 = 79, kXKp3 = 89, kXG = 42, kXY = 29,
                  kXN = 57, kXF3 = 69, kXF7 = 73, kXF8 = 74, kXReturn = 36;

QApplication* App() {
    static QApplication* app = [] {
        setenv("ALSOFT_DRIVERS", "null", 1);
        SetDefaultGLFormat();
        static int argc = 1;
        static char name[] = "kv-match-window-test";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return app;
}

bool HaveDisplay() {
    const char* d = std::getenv("DISPLAY");
    return d != nullptr && *d != 0;
}

struct Rig {
    Rig(bool computerSecond, int screenW = 640, int screenH = 480) {
        BuildShapes(m);
        QuickGameModel quick;
        OptionsModel options;
        TickRows(quick, 2);
        quick.rows[0].txtG = "Вася";
        quick.rows[1].txtG = "Комп";
        quick.rows[1].chkComp = computerSecond ? 1 : 0;
        for (int p = 1; p <= kMaxPlayers; ++p)
            m.KH(p) = static_cast<i16>(p);
        m.ScreenW = static_cast<i16>(screenW);
        m.ScreenH = static_cast<i16>(screenH);
        m.Windowed = kTrue;
        m.Sound = kTrue;
        m.PipaOn = kFalse;
        m.Border = kFalse;
        EXPECT_EQ(StartGame(m, quick, options, dialogs), StartResult::Started);
        EXPECT_TRUE(sound.InitSound()) << sound.Error();

        MatchWindowSetup s;
        s.m = &m;
        s.rng = &rng;
        s.sound = &sound;
        s.replay = &replay;
        s.saves = &saves;
        s.screens = &screens;
        s.dialogs = &dialogs;
        s.dataDir = KV_SOURCE_DATADIR "/";
        s.appTitle = "Kvelmar II: Zantor Билд1408";
        s.logError = [this](const std::string& e) { log.push_back(e); };
        window = std::make_unique<MatchWindow>(s);
    }

    void Key(QEvent::Type t, int key, quint32 x, Qt::KeyboardModifiers mods = {},
             const QString& text = {}, bool repeat = false) {
        QKeyEvent e(t, key, mods, x, 0, 0, text, repeat);
        QCoreApplication::sendEvent(window.get(), &e);
    }
    void Tap(int key, quint32 x, Qt::KeyboardModifiers mods = {}, const QString& text = {}) {
        Key(QEvent::KeyPress, key, x, mods, text);
        Key(QEvent::KeyRelease, key, x, mods, text);
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
        if (!HaveDisplay()) GTEST_SKIP() << "нужен дисплей с OpenGL (xvfb-run)";
        App();
    }
};

bool HasText(const std::vector<TextItem>& items, const std::string& s) {
    return std::any_of(items.begin(), items.end(),
                       [&](const TextItem& t) { return t.text.find(s) != std::string::npos; });
}

TEST_F(MatchWindowTest, HumanStrikesWithTheKeypadAndSpaceThenTheComputerStrikes) {
    Rig r(true);
    QStringList titles;
    QObject::connect(r.window.get(), &QWidget::windowTitleChanged,
                     [&](const QString& t) { titles << t; });
    ASSERT_TRUE(r.StartAndWait());
    MatchWindow& w = *r.window;
    MatchScreen& s = w.Screen();
    // The title shows the steps of the start-up, then the game's title.
    ASSERT_GE(titles.size(), 3);
    EXPECT_EQ(titles.indexOf(QStringLiteral("Инициализация Direct3D...")), 0)
        << titles.join('|').toStdString();
    EXPECT_GT(titles.indexOf(QStringLiteral("Загрузка звуков...")), 0)
        << titles.join('|').toStdString();
    EXPECT_TRUE(r.dialogs.messages.empty()) << r.dialogs.messages.front();
    EXPECT_TRUE(r.log.empty()) << r.log.front();
    EXPECT_EQ(w.windowTitle().toStdString(), "Kvelmar II: Zantor Билд1408");
    ASSERT_EQ(r.replay.started.size(), 1u);
    // Every sound slot was filled from the game's data while the scene was built.
    for (int slot = 0; slot < kSoundSlots; ++slot)
        EXPECT_TRUE(r.sound.SlotLoaded(slot)) << slot;

    // The picture runs continuously.
    const long frames = w.Frames();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Frames() > frames + 3; }, 10000));
    // The desk and the text are on the picture, not a black window.
    const QImage shot = w.grabFramebuffer();
    ASSERT_EQ(shot.size(), QSize(640, 480));
    if (const char* dir = std::getenv("KV_SHOT_DIR")) shot.save(QString(dir) + "/match-window.png");
    long lit = 0;
    for (int y = 0; y < shot.height(); y += 4)
        for (int x = 0; x < shot.width(); x += 4)
            if (qGray(shot.pixel(x, y)) > 24) ++lit;
    EXPECT_GT(lit, 160L * 120 / 5);

    ASSERT_EQ(r.m.CurG, 1);
    ASSERT_EQ(s.TurnPhase(), 1);
    // Aim: keypad 9 turns the direction, keypad 3 moves the strike point; both
    // act on every keyboard tick while held.
    const double dir0 = s.StrikeDir();
    r.Key(QEvent::KeyPress, Qt::Key_9, kXKp9, Qt::KeypadModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.StrikeDir() > dir0 + 0.25; }, 5000));
    r.Key(QEvent::KeyRelease, Qt::Key_9, kXKp9, Qt::KeypadModifier);
    const double dir1 = s.StrikeDir();
    QTest::qWait(50);
    EXPECT_EQ(s.StrikeDir(), dir1); // released: no more turning
    // NumLock off: the same key arrives as Page Down, at the same place.
    const double point0 = s.PointAngle();
    r.Key(QEvent::KeyPress, Qt::Key_PageDown, kXKp3, Qt::KeypadModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.PointAngle() < point0 - 0.25; }, 5000));
    r.Key(QEvent::KeyRelease, Qt::Key_PageDown, kXKp3, Qt::KeypadModifier);
    // Keypad 7 (Home with NumLock off) turns back.
    r.Key(QEvent::KeyPress, Qt::Key_Home, kXKp7, Qt::KeypadModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.StrikeDir() < dir1 - 0.25; }, 5000));
    r.Key(QEvent::KeyRelease, Qt::Key_Home, kXKp7, Qt::KeypadModifier);

    // Charge with SPACE (auto-repeat pairs while held), then release.
    const double x0 = r.m.Gobla(1).Xpos, y0 = r.m.Gobla(1).Ypos;
    r.Key(QEvent::KeyPress, Qt::Key_Space, kXSpace, {}, " ");
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.TurnPhase() == 2 && r.m.StrikeForce >= 6; }, 5000));
    r.Key(QEvent::KeyRelease, Qt::Key_Space, kXSpace, {}, " ", true);
    r.Key(QEvent::KeyPress, Qt::Key_Space, kXSpace, {}, " ", true);
    EXPECT_EQ(s.TurnPhase(), 2); // a repeat release is no release
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.m.StrikeForce >= 16; }, 5000));
    EXPECT_NE(r.m.StatusText.find("Сила удара: "), std::string::npos);
    r.Key(QEvent::KeyRelease, Qt::Key_Space, kXSpace, {}, " ");
    EXPECT_EQ(s.TurnPhase(), 3);
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

TEST_F(MatchWindowTest, CommandKeysAndTheExitQuestion) {
    Rig r(false);
    ASSERT_TRUE(r.StartAndWait());
    MatchWindow& w = *r.window;
    MatchScreen& s = w.Screen();
    QSignalSpy finished(&w, &MatchWindow::Finished);

    // F8: off stops every slot; on again.
    r.sound.PlaySound(14, -7);
    ASSERT_TRUE(r.sound.SlotPlaying(14));
    r.Tap(Qt::Key_F8, kXF8);
    EXPECT_EQ(r.m.Sound, 0);
    EXPECT_EQ(r.m.HintText, "Звук выключен (F8=Включить звук)");
    for (int slot = 0; slot < kSoundSlots; ++slot)
        EXPECT_FALSE(r.sound.SlotPlaying(slot)) << slot;
    r.Tap(Qt::Key_F8, kXF8);
    EXPECT_NE(r.m.Sound, 0);
    EXPECT_EQ(r.m.HintText, "Звук включен (F8=Выключить звук)");

    // F3: names over the pieces.
    r.Tap(Qt::Key_F3, kXF3);
    EXPECT_EQ(r.m.NamesShown, 0);
    EXPECT_EQ(r.m.HintText, "Имена скрыты! (F3=Показать имена)");
    r.Tap(Qt::Key_F3, kXF3);
    EXPECT_NE(r.m.NamesShown, 0);

    // F7 in a human's waiting turn: the aim arrow.
    ASSERT_EQ(s.TurnPhase(), 1);
    r.Tap(Qt::Key_F7, kXF7);
    EXPECT_EQ(r.m.ArrowShown, 0);
    EXPECT_EQ(r.m.HintText, "Стрелка убрана (F7=Показать стрелку)");
    r.Tap(Qt::Key_F7, kXF7);
    EXPECT_NE(r.m.ArrowShown, 0);

    // ESC asks; N takes the question back; in a Russian layout too.
    r.Tap(Qt::Key_Escape, kXEsc, {}, "\x1b");
    EXPECT_TRUE(s.ExitAsk());
    const auto items = s.Overlay();
    EXPECT_TRUE(std::any_of(items.begin(), items.end(), [](const TextItem& t) {
        return t.big && t.text == "Выйти из игры? (Y/N)";
    }));
    r.Tap(0x0422, kXN, {}, QStringLiteral("т"));
    EXPECT_FALSE(s.ExitAsk());
    EXPECT_FALSE(HasText(s.Overlay(), "Выйти из игры?"));
    EXPECT_TRUE(w.Running());

    // Other keys do nothing while the question is shown; Y ends the match.
    r.Tap(Qt::Key_Escape, kXEsc, {}, "\x1b");
    r.Tap(Qt::Key_F3, kXF3);
    EXPECT_NE(r.m.NamesShown, 0);
    r.Tap(Qt::Key_Y, kXY, {}, "y");
    EXPECT_TRUE(w.Unloaded());
    EXPECT_EQ(finished.count(), 1);
    ASSERT_EQ(r.screens.log.size(), 1u);
    EXPECT_EQ(r.screens.log[0], "results 0");
    EXPECT_EQ(r.replay.recordClosed, 1);
    EXPECT_EQ(r.m.RenderOn, 0);
    // Keys after the end do nothing.
    r.Tap(Qt::Key_F8, kXF8);
    EXPECT_NE(r.m.Sound, 0);
}

TEST_F(MatchWindowTest, TimersKeepTheirCountWhenEnabledAgain) {
    std::vector<TimerId> ticks;
    QtTimers t([&](TimerId id) { ticks.push_back(id); });
    t.SetTimer(TimerId::Exit, true, 7000);
    EXPECT_TRUE(t.Active(TimerId::Exit));
    t.SetTimer(TimerId::Exit, true, 7000); // enabling a running timer changes nothing
    EXPECT_TRUE(t.Active(TimerId::Exit));
    t.SetTimer(TimerId::Exit, true, 2000); // a new interval: end of a replay
    EXPECT_EQ(t.Interval(TimerId::Exit), 2000);
    EXPECT_TRUE(t.Active(TimerId::Exit));
    t.SetTimer(TimerId::Exit, false, 2000);
    EXPECT_FALSE(t.Active(TimerId::Exit));
    EXPECT_FALSE(t.Active(TimerId::Run));

    t.SetTimer(TimerId::Cam, true, 5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ticks.empty(); }, 5000));
    EXPECT_EQ(ticks.front(), TimerId::Cam);
    t.StopAll();
    EXPECT_FALSE(t.Active(TimerId::Cam));
}

TEST_F(MatchWindowTest, HeldKeysAreForgottenWhenTheWindowLosesTheFocus) {
    Rig r(false);
    ASSERT_TRUE(r.StartAndWait());
    MatchWindow& w = *r.window;
    r.Key(QEvent::KeyPress, Qt::Key_G, kXG, {}, "g");
    r.Key(QEvent::KeyPress, Qt::Key_Space, kXSpace, {}, " ");
    EXPECT_TRUE(w.Keyboard().Held(Scan::G));
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(&w, &out);
    EXPECT_FALSE(w.Keyboard().Held(Scan::G));
    EXPECT_FALSE(w.Keyboard().Held(Scan::Space));
}

TEST_F(MatchWindowTest, AltEnterSwitchesBetweenWindowAndFullScreen) {
    Rig r(false, 800, 600);
    ASSERT_TRUE(r.StartAndWait());
    MatchWindow& w = *r.window;
    EXPECT_FALSE(w.isFullScreen());
    EXPECT_EQ(w.size(), QSize(800, 600));
    r.Tap(Qt::Key_Return, kXReturn, Qt::AltModifier, "\r");
    EXPECT_EQ(r.m.Windowed, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.isFullScreen(); }, 3000));
    // The mode's picture keeps its proportions inside the screen: 4:3 in 1280x1024.
    const QRect v = w.Display().ViewRect();
    EXPECT_NEAR(static_cast<double>(v.width()) / v.height(), 800.0 / 600.0, 0.01);
    EXPECT_NEAR(v.left() + v.width() / 2.0, w.width() / 2.0, 1.0);
    EXPECT_TRUE(v.width() == w.width() || v.height() == w.height());
    r.Tap(Qt::Key_Return, kXReturn, Qt::AltModifier, "\r");
    EXPECT_NE(r.m.Windowed, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isFullScreen(); }, 3000));
    // Alt+Enter is no ENTER for the match.
    EXPECT_TRUE(w.Running());
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
    EXPECT_NE(msg.find("1. Изменить параметры графики\r\n2. Перезапустить игру"),
              std::string::npos);
    ASSERT_EQ(r.log.size(), 1u);
    EXPECT_EQ(r.log[0], msg);
    EXPECT_EQ(r.screens.log.size(), 1u);
    EXPECT_EQ(r.window->windowTitle().toStdString(), "Инициализация Direct3D...");
}

} // namespace
