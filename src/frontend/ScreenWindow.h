// What every window around the match has: its screen, the application it
// forwards to, a refresh from its model, and a close that the flow decides on.
// It fills its place with the desk of the game's world and stands its controls
// on a panel in the middle, which scrolls rather than leave anything off the
// screen.
#pragma once

#include "screens/Flow.h"

#include <QPixmap>
#include <QWidget>

namespace kv {

class GameApp;

class ScreenWindow : public QWidget {
public:
    // A bare window shows only what it draws itself (the slide show, the preview).
    enum class Frame { Panel, Bare };

    ScreenWindow(GameApp& app, screens::ScreenId id, Frame frame = Frame::Panel);
    screens::ScreenId Id() const { return id_; }
    // Shows the model's fields, texts and enabled states.
    virtual void Refresh() = 0;
    // Just shown in the place of `from`: the window's load, where it has one.
    virtual void Opened(screens::ScreenId from) { (void)from; }
    // The panel the window's controls stand on.
    QWidget* Panel() const { return panel_; }

protected:
    void Apply(const screens::Next& n);
    void closeEvent(QCloseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    GameApp& app_;

private:
    screens::ScreenId id_;
    QWidget* panel_ = nullptr;
    QPixmap scaled_; // the desk as large as the window was last painted
};

} // namespace kv
