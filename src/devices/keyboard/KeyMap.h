// Key codes of the window system turned into the game's: DirectInput-style scan
// codes for the held-keys table and kv::Key for the key-down/key-up handlers.
#pragma once

#include "state/Ports.h"

#include <cstdint>

class QKeyEvent;

namespace kv {

// Scan code of an X11 key code (Qt's nativeScanCode() on xcb: evdev code + 8);
// 0 for keys the table does not know.
int ScanOfX11(std::uint32_t xKeyCode);

// Scan code from Qt's key and modifiers, for platforms without X11 key codes.
// keypad: the event carried Qt::KeypadModifier.
int ScanOfQtKey(int qtKey, bool keypad);

// Scan code of a key event: the native code when there is one, else Qt's key.
int ScanOfEvent(const QKeyEvent& e);

// The match screen's key for a key-down or key-up event. Y and N are also
// recognised by their place on the keyboard, so a Russian layout (Н, Т) works;
// so are the brackets (Х, Ъ).
Key KeyOfEvent(const QKeyEvent& e);

} // namespace kv
