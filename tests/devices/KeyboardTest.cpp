// Key events of the window turned into the held-keys table and the match keys.
#include "devices/keyboard/KeyMap.h"
#include "devices/keyboard/QtKeyboard.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

using kv::Key;
namespace Scan = kv::Scan;

// X key codes (evdev + 8) as an X server sends them.
constexpr quint32 kXKp7 = 79, kXKp8 = 80, kXKp9 = 81, kXKpMinus = 82, kXKp4 = 83, kXKp6 = 85,
                  kXKpPlus = 86, kXKp1 = 87, kXKp2 = 88, kXKp3 = 89, kXKpEnter = 104, kXSpace = 65,
                  kXUp = 111, kXPageUp = 112, kXLeft = 113, kXRight = 114, kXDown = 116,
                  kXPageDown = 117, kXA = 38, kXG = 42, kXM = 58, kXY = 29, kXN = 57,
                  kXBracketL = 34, kXBracketR = 35, kXPeriod = 60;

QKeyEvent Ev(QEvent::Type t, int key, quint32 native, Qt::KeyboardModifiers mods = {},
             const QString& text = {}, bool repeat = false) {
    return QKeyEvent(t, key, mods, native, 0, 0, text, repeat);
}

class Keyboard : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "kv-keyboard-test";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (QGuiApplication::instance() == nullptr) app_ = new QGuiApplication(argc, argv);
    }
    static inline QGuiApplication* app_ = nullptr;
};

TEST_F(Keyboard, X11CodesGiveTheTableScanCodes) {
    const std::pair<quint32, int> cases[] = {
        {kXKp7, Scan::Kp7},       {kXKp8, Scan::Kp8},
        {kXKp9, Scan::Kp9},       {kXKpMinus, Scan::KpMinus},
        {kXKp4, Scan::Kp4},       {kXKp6, Scan::Kp6},
        {kXKpPlus, Scan::KpPlus}, {kXKp1, Scan::Kp1},
        {kXKp2, Scan::Kp2},       {kXKp3, Scan::Kp3},
        {kXSpace, Scan::Space},   {kXA, Scan::A},
        {kXG, Scan::G},           {kXM, Scan::M},
        {kXUp, Scan::Up},         {kXPageUp, Scan::PageUp},
        {kXLeft, Scan::Left},     {kXRight, Scan::Right},
        {kXDown, Scan::Down},     {kXPageDown, Scan::PageDown},
        {kXKpEnter, 0x9C},
    };
    for (const auto& [x, scan] : cases)
        EXPECT_EQ(kv::ScanOfX11(x), scan) << "X key code " << x;
    EXPECT_EQ(kv::ScanOfX11(0), 0);
    EXPECT_EQ(kv::ScanOfX11(7), 0);
    EXPECT_EQ(kv::ScanOfX11(255), 0);
}

TEST_F(Keyboard, KeypadWorksWithNumLockOnAndOff) {
    // NumLock changes Qt's key, not the native code: both give the keypad's place.
    const std::tuple<int, int, quint32, int> cases[] = {
        {Qt::Key_7, Qt::Key_Home, kXKp7, Scan::Kp7},
        {Qt::Key_9, Qt::Key_PageUp, kXKp9, Scan::Kp9},
        {Qt::Key_1, Qt::Key_End, kXKp1, Scan::Kp1},
        {Qt::Key_3, Qt::Key_PageDown, kXKp3, Scan::Kp3},
        {Qt::Key_4, Qt::Key_Left, kXKp4, Scan::Kp4},
        {Qt::Key_6, Qt::Key_Right, kXKp6, Scan::Kp6},
        {Qt::Key_8, Qt::Key_Up, kXKp8, Scan::Kp8},
        {Qt::Key_2, Qt::Key_Down, kXKp2, Scan::Kp2},
    };
    for (const auto& [on, off, x, scan] : cases) {
        EXPECT_EQ(kv::ScanOfEvent(Ev(QEvent::KeyPress, on, x, Qt::KeypadModifier)), scan);
        EXPECT_EQ(kv::ScanOfEvent(Ev(QEvent::KeyPress, off, x, Qt::KeypadModifier)), scan);
        // Without native codes (other platforms) Qt's key and the keypad flag decide.
        EXPECT_EQ(kv::ScanOfEvent(Ev(QEvent::KeyPress, on, 0, Qt::KeypadModifier)), scan);
        EXPECT_EQ(kv::ScanOfEvent(Ev(QEvent::KeyPress, off, 0, Qt::KeypadModifier)), scan);
    }
    // The cursor keys proper are not the keypad's.
    EXPECT_EQ(kv::ScanOfEvent(Ev(QEvent::KeyPress, Qt::Key_Up, kXUp)), Scan::Up);
    EXPECT_EQ(kv::ScanOfEvent(Ev(QEvent::KeyPress, Qt::Key_Up, 0)), Scan::Up);
    EXPECT_EQ(kv::ScanOfEvent(Ev(QEvent::KeyPress, Qt::Key_Plus, 0, Qt::KeypadModifier)),
              Scan::KpPlus);
}

TEST_F(Keyboard, TableFollowsRealPressesAndReleases) {
    kv::QtKeyboard kb;
    ASSERT_TRUE(kb.InitKeyboard());
    kv::KeyStateTable t;
    t.fill(7);
    ASSERT_TRUE(kb.ReadKeyboard(t));
    for (auto b : t)
        ASSERT_EQ(b, 0);

    kb.KeyEvent(Ev(QEvent::KeyPress, Qt::Key_Space, kXSpace, {}, " "));
    kb.KeyEvent(Ev(QEvent::KeyPress, Qt::Key_Home, kXKp7, Qt::KeypadModifier));
    kb.ReadKeyboard(t);
    EXPECT_NE(t[Scan::Space], 0);
    EXPECT_NE(t[Scan::Kp7], 0);

    // Auto-repeat sends release/press pairs while the key stays down.
    for (int i = 0; i < 5; ++i) {
        kb.KeyEvent(Ev(QEvent::KeyRelease, Qt::Key_Space, kXSpace, {}, " ", true));
        kb.ReadKeyboard(t);
        EXPECT_NE(t[Scan::Space], 0);
        kb.KeyEvent(Ev(QEvent::KeyPress, Qt::Key_Space, kXSpace, {}, " ", true));
    }
    // NumLock switched while holding: the release names the other Qt key, the same place.
    kb.KeyEvent(Ev(QEvent::KeyRelease, Qt::Key_7, kXKp7, Qt::KeypadModifier));
    kb.ReadKeyboard(t);
    EXPECT_EQ(t[Scan::Kp7], 0);
    EXPECT_NE(t[Scan::Space], 0);
    kb.KeyEvent(Ev(QEvent::KeyRelease, Qt::Key_Space, kXSpace, {}, " "));
    kb.ReadKeyboard(t);
    EXPECT_EQ(t[Scan::Space], 0);

    // Keys the table does not know leave it alone.
    kb.KeyEvent(Ev(QEvent::KeyPress, Qt::Key_unknown, 250));
    kb.ReadKeyboard(t);
    for (auto b : t)
        EXPECT_EQ(b, 0);
}

TEST_F(Keyboard, ClearForgetsHeldKeys) {
    kv::QtKeyboard kb;
    kb.InitKeyboard();
    kb.KeyEvent(Ev(QEvent::KeyPress, Qt::Key_G, kXG, {}, "g"));
    kb.KeyEvent(Ev(QEvent::KeyPress, Qt::Key_Up, kXUp));
    EXPECT_TRUE(kb.Held(Scan::G));
    kb.Clear();
    kv::KeyStateTable t;
    kb.ReadKeyboard(t);
    EXPECT_EQ(t[Scan::G], 0);
    EXPECT_EQ(t[Scan::Up], 0);
}

TEST_F(Keyboard, EventsGiveTheMatchKeys) {
    const std::tuple<int, quint32, QString, Key> cases[] = {
        {Qt::Key_Escape, 9, "\x1b", Key::Escape},
        {Qt::Key_Return, 36, "\r", Key::Enter},
        {Qt::Key_Enter, kXKpEnter, "\r", Key::Enter},
        {Qt::Key_Space, kXSpace, " ", Key::Space},
        {Qt::Key_Y, kXY, "y", Key::Y},
        {Qt::Key_N, kXN, "n", Key::N},
        {Qt::Key_F1, 67, "", Key::F1},
        {Qt::Key_F3, 69, "", Key::F3},
        {Qt::Key_F4, 70, "", Key::F4},
        {Qt::Key_F6, 72, "", Key::F6},
        {Qt::Key_F7, 73, "", Key::F7},
        {Qt::Key_F8, 74, "", Key::F8},
        {Qt::Key_F9, 75, "", Key::F9},
        {Qt::Key_BracketLeft, kXBracketL, "[", Key::BracketLeft},
        {Qt::Key_BracketRight, kXBracketR, "]", Key::BracketRight},
        {Qt::Key_Greater, kXPeriod, ">", Key::Greater},
        {Qt::Key_Less, 59, "<", Key::Less},
        {Qt::Key_A, kXA, "a", Key::Other},
        {Qt::Key_F2, 68, "", Key::Other},
    };
    for (const auto& [qk, x, text, key] : cases)
        EXPECT_EQ(kv::KeyOfEvent(Ev(QEvent::KeyPress, qk, x, {}, text)), key) << qk;
}

TEST_F(Keyboard, RussianLayoutKeysByPlace) {
    // Qt's key of a Cyrillic letter is its upper-case code point.
    EXPECT_EQ(kv::KeyOfEvent(Ev(QEvent::KeyPress, 0x041D, kXY, {}, "н")), Key::Y);
    EXPECT_EQ(kv::KeyOfEvent(Ev(QEvent::KeyPress, 0x0422, kXN, {}, "т")), Key::N);
    EXPECT_EQ(kv::KeyOfEvent(Ev(QEvent::KeyPress, 0x0425, kXBracketL, {}, "х")), Key::BracketLeft);
    EXPECT_EQ(kv::KeyOfEvent(Ev(QEvent::KeyPress, 0x042A, kXBracketR, {}, "ъ")), Key::BracketRight);
    // Shift+Ю is the ">" place.
    EXPECT_EQ(kv::KeyOfEvent(Ev(QEvent::KeyPress, 0x042E, kXPeriod, Qt::ShiftModifier, "Ю")),
              Key::Greater);
    EXPECT_EQ(kv::KeyOfEvent(Ev(QEvent::KeyPress, 0x042E, kXPeriod, {}, "ю")), Key::Other);
    // Without native codes the letter itself still answers.
    EXPECT_EQ(kv::KeyOfEvent(Ev(QEvent::KeyPress, 0x041D, 0, {}, "Н")), Key::Y);
    EXPECT_EQ(kv::KeyOfEvent(Ev(QEvent::KeyPress, 0x0422, 0, {}, "т")), Key::N);
}

} // namespace
