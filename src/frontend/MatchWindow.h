// The match window: an OpenGL window that runs the match screen with real
// timers, feeds it the keyboard, draws continuously in step with the display,
// and unloads the screen when the render flag is cleared.
#pragma once

#include "devices/SoundBank.h"
#include "devices/display/QtDisplay.h"
#include "devices/keyboard/QtKeyboard.h"
#include "devices/scene/GameScene.h"
#include "frontend/QtTimers.h"
#include "match/MatchScreen.h"
#include "state/Module1.h"
#include "state/Rng.h"

#include <QElapsedTimer>
#include <QOpenGLWidget>

#include <functional>
#include <string>

namespace kv {

struct MatchWindowSetup {
    Module1* m = nullptr;
    Rng* rng = nullptr;
    SoundBank* sound = nullptr; // always given; a bank without a device is silent
    ReplayPort* replay = nullptr;
    SaveGamePort* saves = nullptr;
    ScreensPort* screens = nullptr;
    DialogPort* dialogs = nullptr;
    std::string dataDir;  // gamedata folder, ending in '/'
    std::string appTitle; // "Kvelmar II: Zantor Билд1408"
    std::function<void(const std::string&)> logError;
    bool replayMode = false;
};

// The OpenGL version the scene needs; set as the default before the window exists.
void SetDefaultGLFormat();

class MatchWindow : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit MatchWindow(const MatchWindowSetup& setup, QWidget* parent = nullptr);
    ~MatchWindow() override;

    // Shows the window and starts the match (Init) on the next pass of the event loop.
    void Start();

    MatchScreen& Screen() { return screen_; }
    GameScene& Scene() { return scene_; }
    QtDisplay& Display() { return display_; }
    QtKeyboard& Keyboard() { return keyboard_; }
    QtTimers& Timers() { return timers_; }
    bool Running() const { return running_; }
    bool Unloaded() const { return unloaded_; }
    long Frames() const { return frames_; }

signals:
    // The match screen has been unloaded (results or load browser already told).
    void Finished();

protected:
    void paintGL() override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void RunInit();
    void OnTick(TimerId id);
    void CheckEnd();
    double NowMs() const;

    MatchWindowSetup setup_;
    Module1& m_;
    QElapsedTimer clock_;
    QtKeyboard keyboard_;
    QtDisplay display_;
    GameScene scene_;
    QtTimers timers_;
    MatchScreen screen_;
    bool running_ = false; // Init has returned with the render flag set
    bool started_ = false;
    bool unloaded_ = false;
    bool renderErrorLogged_ = false;
    long frames_ = 0;
};

} // namespace kv
