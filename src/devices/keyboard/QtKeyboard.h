// The held-keys table of the match, kept from the window's key events: a read
// returns the state of all keys at once, as the keyboard tick expects.
#pragma once

#include "state/Ports.h"

class QKeyEvent;

namespace kv {

class QtKeyboard : public KeyboardPort {
public:
    bool InitKeyboard() override;
    bool ReadKeyboard(KeyStateTable& state) override;

    // The window passes every key press and release here. Auto-repeat is ignored:
    // the key is down from its first press to its real release.
    void KeyEvent(const QKeyEvent& e);
    // A release can be lost while another window has the focus.
    void Clear();
    void Release() { Clear(); }

    bool Held(int scan) const { return scan >= 0 && scan < 256 && table_[scan] != 0; }

private:
    KeyStateTable table_{};
};

} // namespace kv
