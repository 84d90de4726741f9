// Message boxes and the busy pointer for the core's questions.
#pragma once

#include "state/Ports.h"

#include <string>

class QWidget;

namespace kv {

class QtDialogs : public DialogPort {
public:
    explicit QtDialogs(std::string appTitle, QWidget* parent = nullptr)
        : title_(std::move(appTitle)), parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    MsgAnswer Message(const std::string& text, MsgIcon icon, MsgButtons buttons,
                      const std::string& caption = {}) override;
    void SetBusy(bool busy) override;

private:
    std::string title_;
    QWidget* parent_;
    bool busy_ = false;
};

} // namespace kv
