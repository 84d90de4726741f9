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
constexpr quint32 kXKp7 = 79, kXKpEnter = 104, kXSpace = 65, kXUp = 111, kXA = 38, kXY = 29,
                  kXN = 57, kXPeriod = 60;

QKeyEvent Ev(int key, quint32 native, Qt::KeyboardModifiers mods = {}, const QString& text = {},
             QEvent::Type t = QEvent::KeyPress, bool repeat = false) {
    return QKeyEvent(t, key, mods, native, 0, 0, text, repeat);
}

class Keyboard : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "kv-keyboard-test";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (QGuiApplication::instance() == nullptr) new QGuiApplication(argc, argv);
    }
};

// Each key by its X code, and by Qt's key where there is no native code (other
// platforms). NumLock changes Qt's keypad key, not its place; the cursor keys
// proper are not the keypad's. The keypad's letter stand-ins are read by place
// too: the Latin letter, the Russian letter on the same key, and without a
// native code either letter itself.
TEST_F(Keyboard, ScanCodesByPlaceInEitherLayout) {
    for (int key : {Qt::Key_7, Qt::Key_Home})
        for (quint32 native : {kXKp7, 0u})
            EXPECT_EQ(kv::ScanOfEvent(Ev(key, native, Qt::KeypadModifier)), Scan::Kp7)
                << key << " " << native;
    for (quint32 native : {kXUp, 0u})
        EXPECT_EQ(kv::ScanOfEvent(Ev(Qt::Key_Up, native)), Scan::Up) << native;
    const std::tuple<int, int, quint32, int> letters[] = {{Qt::Key_Q, 0x0419, 24, Scan::Q},
                                                          {Qt::Key_S, 0x042B, 39, Scan::S},
                                                          {Qt::Key_F, 0x0410, 41, Scan::F},
                                                          {Qt::Key_C, 0x0421, 54, Scan::C}};
    for (const auto& [latin, cyrillic, x, scan] : letters)
        for (int key : {latin, cyrillic})
            for (quint32 native : {x, 0u})
                EXPECT_EQ(kv::ScanOfEvent(Ev(key, native)), scan) << key << " " << native;
}

TEST_F(Keyboard, TableFollowsRealPressesAndReleases) {
    kv::QtKeyboard kb;
    ASSERT_TRUE(kb.InitKeyboard());
    kv::KeyStateTable t;
    t.fill(7);
    auto expectEmpty = [&] {
        ASSERT_TRUE(kb.ReadKeyboard(t));
        for (auto b : t)
            ASSERT_EQ(b, 0);
    };
    expectEmpty();
    kb.KeyEvent(Ev(Qt::Key_Space, kXSpace, {}, " "));
    kb.KeyEvent(Ev(Qt::Key_Home, kXKp7, Qt::KeypadModifier));
    kb.ReadKeyboard(t);
    EXPECT_NE(t[Scan::Space], 0);
    EXPECT_NE(t[Scan::Kp7], 0);

    // Auto-repeat sends release/press pairs while the key stays down.
    kb.KeyEvent(Ev(Qt::Key_Space, kXSpace, {}, " ", QEvent::KeyRelease, true));
    kb.ReadKeyboard(t);
    EXPECT_NE(t[Scan::Space], 0);
    kb.KeyEvent(Ev(Qt::Key_Space, kXSpace, {}, " ", QEvent::KeyPress, true));
    // NumLock switched while holding: the release names the other Qt key, the same place.
    kb.KeyEvent(Ev(Qt::Key_7, kXKp7, Qt::KeypadModifier, {}, QEvent::KeyRelease));
    kb.ReadKeyboard(t);
    EXPECT_EQ(t[Scan::Kp7], 0);
    EXPECT_NE(t[Scan::Space], 0);
    kb.KeyEvent(Ev(Qt::Key_Space, kXSpace, {}, " ", QEvent::KeyRelease));
    // Keys the table does not know leave it alone.
    kb.KeyEvent(Ev(Qt::Key_unknown, 250));
    expectEmpty();
}

TEST_F(Keyboard, EventsGiveTheMatchKeysInEitherLayout) {
    const std::tuple<int, quint32, Qt::KeyboardModifiers, QString, Key> cases[] = {
        {Qt::Key_Escape, 9, {}, "\x1b", Key::Escape},
        {Qt::Key_Enter, kXKpEnter, {}, "\r", Key::Enter},
        {Qt::Key_F4, 70, {}, "", Key::F4},
        {Qt::Key_Greater, kXPeriod, {}, ">", Key::Greater},
        {Qt::Key_A, kXA, {}, "a", Key::Other},
        // Russian layout: Qt's key of a Cyrillic letter is its upper-case code point,
        // the place decides; Shift+Ю is the ">" place.
        {0x041D, kXY, {}, "н", Key::Y},
        {0x0422, kXN, {}, "т", Key::N},
        {0x042E, kXPeriod, Qt::ShiftModifier, "Ю", Key::Greater},
        // Without native codes the letter itself still answers.
        {0x041D, 0, {}, "Н", Key::Y}};
    for (const auto& [qk, x, mods, text, key] : cases)
        EXPECT_EQ(kv::KeyOfEvent(Ev(qk, x, mods, text)), key) << qk << " " << text.toStdString();
}

} // namespace
