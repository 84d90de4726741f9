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
constexpr quint32 kXKp7 = 79, kXKp8 = 80, kXKp9 = 81, kXKp4 = 83, kXKp6 = 85, kXKp1 = 87,
                  kXKp2 = 88, kXKp3 = 89, kXKpEnter = 104, kXSpace = 65, kXUp = 111, kXA = 38,
                  kXG = 42, kXY = 29, kXN = 57, kXBracketL = 34, kXBracketR = 35, kXPeriod = 60;

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
// platforms). NumLock changes Qt's keypad key, not its place.
TEST_F(Keyboard, ScanCodesByPlace) {
    const std::tuple<int, int, quint32, int> keypad[] = {
        {Qt::Key_7, Qt::Key_Home, kXKp7, Scan::Kp7},
        {Qt::Key_9, Qt::Key_PageUp, kXKp9, Scan::Kp9},
        {Qt::Key_1, Qt::Key_End, kXKp1, Scan::Kp1},
        {Qt::Key_3, Qt::Key_PageDown, kXKp3, Scan::Kp3},
        {Qt::Key_4, Qt::Key_Left, kXKp4, Scan::Kp4},
        {Qt::Key_6, Qt::Key_Right, kXKp6, Scan::Kp6},
        {Qt::Key_8, Qt::Key_Up, kXKp8, Scan::Kp8},
        {Qt::Key_2, Qt::Key_Down, kXKp2, Scan::Kp2},
        {Qt::Key_Minus, Qt::Key_Minus, 82, Scan::KpMinus},
        {Qt::Key_Plus, Qt::Key_Plus, 86, Scan::KpPlus},
        {Qt::Key_Enter, Qt::Key_Enter, kXKpEnter, 0x9C}};
    for (const auto& [on, off, x, scan] : keypad)
        for (int key : {on, off})
            for (quint32 native : {x, 0u})
                EXPECT_EQ(kv::ScanOfEvent(Ev(key, native, Qt::KeypadModifier)), scan)
                    << key << " " << native;
    // The cursor keys proper are not the keypad's.
    const std::tuple<int, quint32, int> keys[] = {{Qt::Key_Space, kXSpace, Scan::Space},
                                                  {Qt::Key_A, kXA, Scan::A},
                                                  {Qt::Key_G, kXG, Scan::G},
                                                  {Qt::Key_M, 58, Scan::M},
                                                  {Qt::Key_Up, kXUp, Scan::Up},
                                                  {Qt::Key_PageUp, 112, Scan::PageUp},
                                                  {Qt::Key_Left, 113, Scan::Left},
                                                  {Qt::Key_Right, 114, Scan::Right},
                                                  {Qt::Key_Down, 116, Scan::Down},
                                                  {Qt::Key_PageDown, 117, Scan::PageDown}};
    for (const auto& [key, x, scan] : keys)
        for (quint32 native : {x, 0u})
            EXPECT_EQ(kv::ScanOfEvent(Ev(key, native)), scan) << key << " " << native;
    for (quint32 unknown : {0u, 7u, 255u})
        EXPECT_EQ(kv::ScanOfX11(unknown), 0);
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
    for (int i = 0; i < 5; ++i) {
        kb.KeyEvent(Ev(Qt::Key_Space, kXSpace, {}, " ", QEvent::KeyRelease, true));
        kb.ReadKeyboard(t);
        EXPECT_NE(t[Scan::Space], 0);
        kb.KeyEvent(Ev(Qt::Key_Space, kXSpace, {}, " ", QEvent::KeyPress, true));
    }
    // NumLock switched while holding: the release names the other Qt key, the same place.
    kb.KeyEvent(Ev(Qt::Key_7, kXKp7, Qt::KeypadModifier, {}, QEvent::KeyRelease));
    kb.ReadKeyboard(t);
    EXPECT_EQ(t[Scan::Kp7], 0);
    EXPECT_NE(t[Scan::Space], 0);
    kb.KeyEvent(Ev(Qt::Key_Space, kXSpace, {}, " ", QEvent::KeyRelease));
    // Keys the table does not know leave it alone.
    kb.KeyEvent(Ev(Qt::Key_unknown, 250));
    expectEmpty();
    // Clear forgets held keys.
    kb.KeyEvent(Ev(Qt::Key_G, kXG, {}, "g"));
    EXPECT_TRUE(kb.Held(Scan::G));
    kb.Clear();
    expectEmpty();
}

TEST_F(Keyboard, EventsGiveTheMatchKeysInEitherLayout) {
    const std::tuple<int, quint32, Qt::KeyboardModifiers, QString, Key> cases[] = {
        {Qt::Key_Escape, 9, {}, "\x1b", Key::Escape},
        {Qt::Key_Return, 36, {}, "\r", Key::Enter},
        {Qt::Key_Enter, kXKpEnter, {}, "\r", Key::Enter},
        {Qt::Key_Space, kXSpace, {}, " ", Key::Space},
        {Qt::Key_Y, kXY, {}, "y", Key::Y},
        {Qt::Key_N, kXN, {}, "n", Key::N},
        {Qt::Key_F1, 67, {}, "", Key::F1},
        {Qt::Key_F3, 69, {}, "", Key::F3},
        {Qt::Key_F4, 70, {}, "", Key::F4},
        {Qt::Key_F6, 72, {}, "", Key::F6},
        {Qt::Key_F7, 73, {}, "", Key::F7},
        {Qt::Key_F8, 74, {}, "", Key::F8},
        {Qt::Key_F9, 75, {}, "", Key::F9},
        {Qt::Key_BracketLeft, kXBracketL, {}, "[", Key::BracketLeft},
        {Qt::Key_BracketRight, kXBracketR, {}, "]", Key::BracketRight},
        {Qt::Key_Greater, kXPeriod, {}, ">", Key::Greater},
        {Qt::Key_Less, 59, {}, "<", Key::Less},
        {Qt::Key_A, kXA, {}, "a", Key::Other},
        {Qt::Key_F2, 68, {}, "", Key::Other},
        // Russian layout: Qt's key of a Cyrillic letter is its upper-case code point,
        // the place decides; Shift+Ю is the ">" place.
        {0x041D, kXY, {}, "н", Key::Y},
        {0x0422, kXN, {}, "т", Key::N},
        {0x0425, kXBracketL, {}, "х", Key::BracketLeft},
        {0x042A, kXBracketR, {}, "ъ", Key::BracketRight},
        {0x042E, kXPeriod, Qt::ShiftModifier, "Ю", Key::Greater},
        {0x042E, kXPeriod, {}, "ю", Key::Other},
        // Without native codes the letter itself still answers.
        {0x041D, 0, {}, "Н", Key::Y},
        {0x0422, 0, {}, "т", Key::N}};
    for (const auto& [qk, x, mods, text, key] : cases)
        EXPECT_EQ(kv::KeyOfEvent(Ev(qk, x, mods, text)), key) << qk << " " << text.toStdString();
}

} // namespace
