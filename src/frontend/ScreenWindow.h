// What every window around the match has: its screen, the application it
// forwards to, a refresh from its model, and a close that the flow decides on.
#pragma once

#include "screens/Flow.h"

#include <QWidget>

namespace kv {

class GameApp;

class ScreenWindow : public QWidget {
public:
    ScreenWindow(GameApp& app, screens::ScreenId id);
    screens::ScreenId Id() const { return id_; }
    // Shows the model's fields, texts and enabled states.
    virtual void Refresh() = 0;
    // Just shown in the place of `from`: the window's load, where it has one.
    virtual void Opened(screens::ScreenId from) { (void)from; }

protected:
    void Apply(const screens::Next& n);
    void closeEvent(QCloseEvent* e) override;
    GameApp& app_;

private:
    screens::ScreenId id_;
};

} // namespace kv
