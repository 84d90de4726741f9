#include "devices/keyboard/QtKeyboard.h"

#include "devices/keyboard/KeyMap.h"

#include <QEvent>
#include <QKeyEvent>

namespace kv {

bool QtKeyboard::InitKeyboard() {
    Clear();
    return true;
}

bool QtKeyboard::ReadKeyboard(KeyStateTable& state) {
    state = table_;
    return true;
}

void QtKeyboard::KeyEvent(const QKeyEvent& e) {
    if (e.isAutoRepeat()) return;
    const int scan = ScanOfEvent(e);
    if (scan <= 0 || scan > 255) return;
    if (e.type() == QEvent::KeyPress)
        table_[static_cast<std::size_t>(scan)] = 0x80;
    else if (e.type() == QEvent::KeyRelease)
        table_[static_cast<std::size_t>(scan)] = 0;
}

void QtKeyboard::Clear() {
    table_.fill(0);
}

} // namespace kv
