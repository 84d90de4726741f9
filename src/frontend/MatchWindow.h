// The match window: an OpenGL window that runs the match screen's timers in
// real time, feeds it the keyboard, draws at most as many frames as the screen
// shows, and unloads the screen when the render flag is cleared.
#pragma once

#include "devices/SoundBank.h"
#include "devices/display/QtDisplay.h"
#include "devices/keyboard/QtKeyboard.h"
#include "devices/scene/GameScene.h"
#include "frontend/ThreadedPlanner.h"
#include "match/MatchScreen.h"
#include "match/RealTimeDriver.h"
#include "match/VirtualClock.h"
#include "net/NetMatch.h"
#include "state/MatchState.h"
#include "state/Rng.h"

#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QTimer>

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
    // Real time in milliseconds; empty: the window's own monotonic clock.
    std::function<double()> clockMs;
    // A network match: the table's relay feeds the screen (its recording
    // already wraps `replay`).
    net::NetMatch* relay = nullptr;
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
    VirtualScheduler& Timers() { return clock_; }
    // Fires the timers that fell due by now; the window calls it when the next
    // timer falls due and before every key.
    void Pump();
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
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void RunInit();
    void OnTick(TimerId id);
    void CheckEnd();
    // Wakes the pump when the next timer falls due, and not before.
    void Reschedule();
    // After a swap: the next frame now, or when the screen shows its next one.
    void NextFrame();
    double FramePeriodMs() const;
    double RealMs() const;
    // A window point in pixels of the match's picture, which is scaled into the
    // window keeping its shape.
    QPointF PicturePoint(QPointF windowPoint) const;

    MatchWindowSetup setup_;
    Module1& m_;
    QElapsedTimer elapsed_;
    VirtualScheduler clock_;
    RealTimeDriver driver_;
    QTimer pump_;
    QTimer frameTimer_;
    QElapsedTimer frameClock_;
    double frameStartMs_ = 0;
    QtKeyboard keyboard_;
    QtDisplay display_;
    GameScene scene_;
    ThreadedPlanner planner_; // outlives the screen, which drops its plan when it goes
    MatchScreen screen_;
    bool running_ = false; // Init has returned with the render flag set
    bool started_ = false;
    bool unloaded_ = false;
    bool renderErrorLogged_ = false;
    long frames_ = 0;
    int wheelRest_ = 0; // eighths of a degree not yet a whole notch
};

} // namespace kv
