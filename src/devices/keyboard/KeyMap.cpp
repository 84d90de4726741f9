#include "devices/keyboard/KeyMap.h"

#include <QKeyEvent>
#include <QString>

namespace kv {

namespace {

constexpr std::uint32_t kX11Offset = 8;

// Keys whose DirectInput code is not the set-1 code: the extended ones.
struct Ext {
    std::uint32_t evdev;
    int scan;
};
constexpr Ext kExtended[] = {
    {96, 0x9C},  // keypad Enter
    {97, 0x9D},  // right Ctrl
    {98, 0xB5},  // keypad /
    {99, 0xB7},  // Print Screen
    {100, 0xB8}, // right Alt
    {102, 0xC7}, // Home
    {103, 0xC8}, // Up
    {104, 0xC9}, // Page Up
    {105, 0xCB}, // Left
    {106, 0xCD}, // Right
    {107, 0xCF}, // End
    {108, 0xD0}, // Down
    {109, 0xD1}, // Page Down
    {110, 0xD2}, // Insert
    {111, 0xD3}, // Delete
    {119, 0xC5}, // Pause
    {125, 0xDB}, // left Windows
    {126, 0xDC}, // right Windows
    {127, 0xDD}, // menu
};

constexpr int kScanY = 0x15, kScanN = 0x31, kScanBracketL = 0x1A, kScanBracketR = 0x1B;
constexpr int kScanComma = 0x33, kScanPeriod = 0x34, kScanP = 0x19, kScanX = 0x2D;

} // namespace

int ScanOfX11(std::uint32_t xKeyCode) {
    if (xKeyCode < kX11Offset) return 0;
    const std::uint32_t evdev = xKeyCode - kX11Offset;
    // Up to F12 the evdev numbering is the set-1 scan code DirectInput uses.
    if (evdev >= 1 && evdev <= 88) return static_cast<int>(evdev);
    for (const Ext& e : kExtended)
        if (e.evdev == evdev) return e.scan;
    return 0;
}

int ScanOfQtKey(int qtKey, bool keypad) {
    if (keypad) {
        // With NumLock off the keypad sends cursor keys; the place is the same.
        switch (qtKey) {
        case Qt::Key_7:
        case Qt::Key_Home:
            return Scan::Kp7;
        case Qt::Key_8:
        case Qt::Key_Up:
            return Scan::Kp8;
        case Qt::Key_9:
        case Qt::Key_PageUp:
            return Scan::Kp9;
        case Qt::Key_4:
        case Qt::Key_Left:
            return Scan::Kp4;
        case Qt::Key_5:
        case Qt::Key_Clear:
            return 0x4C;
        case Qt::Key_6:
        case Qt::Key_Right:
            return Scan::Kp6;
        case Qt::Key_1:
        case Qt::Key_End:
            return Scan::Kp1;
        case Qt::Key_2:
        case Qt::Key_Down:
            return Scan::Kp2;
        case Qt::Key_3:
        case Qt::Key_PageDown:
            return Scan::Kp3;
        case Qt::Key_0:
        case Qt::Key_Insert:
            return 0x52;
        case Qt::Key_Period:
        case Qt::Key_Comma:
        case Qt::Key_Delete:
            return 0x53;
        case Qt::Key_Minus:
            return Scan::KpMinus;
        case Qt::Key_Plus:
            return Scan::KpPlus;
        case Qt::Key_Asterisk:
            return 0x37;
        case Qt::Key_Slash:
            return 0xB5;
        case Qt::Key_Enter:
            return 0x9C;
        default:
            return 0;
        }
    }
    switch (qtKey) {
    case Qt::Key_A:
        return Scan::A;
    case Qt::Key_G:
        return Scan::G;
    case Qt::Key_M:
        return Scan::M;
    case Qt::Key_Space:
        return Scan::Space;
    case Qt::Key_Up:
        return Scan::Up;
    case Qt::Key_Down:
        return Scan::Down;
    case Qt::Key_Left:
        return Scan::Left;
    case Qt::Key_Right:
        return Scan::Right;
    case Qt::Key_PageUp:
        return Scan::PageUp;
    case Qt::Key_PageDown:
        return Scan::PageDown;
    case Qt::Key_Escape:
        return 0x01;
    case Qt::Key_Return:
        return 0x1C;
    case Qt::Key_Y:
        return kScanY;
    case Qt::Key_N:
        return kScanN;
    default:
        break;
    }
    // The keypad's stand-ins, Latin or the Russian letter on the same place.
    struct Letter {
        int latin, cyrillic, scan;
    };
    static constexpr Letter kLetters[] = {
        {Qt::Key_Q, 0x0419, Scan::Q}, {Qt::Key_W, 0x0426, Scan::W}, {Qt::Key_E, 0x0423, Scan::E},
        {Qt::Key_R, 0x041A, Scan::R}, {Qt::Key_S, 0x042B, Scan::S}, {Qt::Key_D, 0x0412, Scan::D},
        {Qt::Key_F, 0x0410, Scan::F}, {Qt::Key_Z, 0x042F, Scan::Z}, {Qt::Key_X, 0x0427, Scan::X},
        {Qt::Key_C, 0x0421, Scan::C}};
    for (const Letter& l : kLetters)
        if (qtKey == l.latin || qtKey == l.cyrillic) return l.scan;
    return 0;
}

int ScanOfEvent(const QKeyEvent& e) {
    if (e.nativeScanCode() != 0) return ScanOfX11(e.nativeScanCode());
    return ScanOfQtKey(e.key(), (e.modifiers() & Qt::KeypadModifier) != 0);
}

Key KeyOfEvent(const QKeyEvent& e) {
    switch (e.key()) {
    case Qt::Key_Escape:
        return Key::Escape;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Key::Enter;
    case Qt::Key_Space:
        return Key::Space;
    case Qt::Key_Y:
        return Key::Y;
    case Qt::Key_N:
        return Key::N;
    case Qt::Key_P:
        return Key::P;
    case Qt::Key_X:
        return Key::X;
    case Qt::Key_F1:
        return Key::F1;
    case Qt::Key_F2:
        return Key::F2;
    case Qt::Key_Backspace:
        return Key::Backspace;
    case Qt::Key_F3:
        return Key::F3;
    case Qt::Key_F4:
        return Key::F4;
    case Qt::Key_F6:
        return Key::F6;
    case Qt::Key_F7:
        return Key::F7;
    case Qt::Key_F8:
        return Key::F8;
    case Qt::Key_F9:
        return Key::F9;
    case Qt::Key_BracketLeft:
        return Key::BracketLeft;
    case Qt::Key_BracketRight:
        return Key::BracketRight;
    case Qt::Key_Greater:
        return Key::Greater;
    case Qt::Key_Less:
        return Key::Less;
    default:
        break;
    }
    const QString t = e.text();
    if (t == QStringLiteral(">")) return Key::Greater;
    if (t == QStringLiteral("<")) return Key::Less;
    // Other layouts: the key's place decides (Н is on Y, Т on N, З on P, Ч on X,
    // Х and Ъ on the brackets).
    const int scan = e.nativeScanCode() != 0 ? ScanOfX11(e.nativeScanCode()) : 0;
    const bool shift = (e.modifiers() & Qt::ShiftModifier) != 0;
    switch (scan) {
    case kScanY:
        return Key::Y;
    case kScanN:
        return Key::N;
    case kScanP:
        return Key::P;
    case kScanX:
        return Key::X;
    case kScanBracketL:
        return Key::BracketLeft;
    case kScanBracketR:
        return Key::BracketRight;
    case kScanPeriod:
        return shift ? Key::Greater : Key::Other;
    case kScanComma:
        return shift ? Key::Less : Key::Other;
    default:
        break;
    }
    if (t.compare(QStringLiteral("н"), Qt::CaseInsensitive) == 0) return Key::Y;
    if (t.compare(QStringLiteral("т"), Qt::CaseInsensitive) == 0) return Key::N;
    if (t.compare(QStringLiteral("з"), Qt::CaseInsensitive) == 0) return Key::P;
    if (t.compare(QStringLiteral("ч"), Qt::CaseInsensitive) == 0) return Key::X;
    return Key::Other;
}

} // namespace kv
