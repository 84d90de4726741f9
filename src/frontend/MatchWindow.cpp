#include "frontend/MatchWindow.h"

#include "devices/keyboard/KeyMap.h"
#include "state/Picture.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QScreen>
#include <QSurfaceFormat>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace kv {

void SetDefaultGLFormat() {
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setVersion(3, 3);
    f.setProfile(QSurfaceFormat::CoreProfile);
    f.setDepthBufferSize(24);
    f.setStencilBufferSize(8);
    f.setSwapInterval(1); // in step with the display
    QSurfaceFormat::setDefaultFormat(f);
}

namespace {
GameSceneOptions SceneOptions(const MatchWindowSetup& s, std::function<double()> clock) {
    GameSceneOptions o;
    o.dataDir = s.dataDir;
    o.appTitle = s.appTitle;
    o.logError = s.logError;
    o.clockMs = std::move(clock);
    return o;
}
} // namespace

MatchWindow::MatchWindow(const MatchWindowSetup& setup, QWidget* parent)
    : QOpenGLWidget(parent), setup_(setup), m_(*setup.m),
      clock_([this](TimerId id) { OnTick(id); }), driver_(clock_),
      display_(*setup.m, *this, *setup.dialogs, setup.logError),
      scene_(*setup.m, display_, *setup.dialogs, setup.sound,
             // Moving things are placed by the match's own time, tick by tick.
             SceneOptions(setup, [this] { return driver_.NowMs(); })),
      screen_(*setup.m,
              MatchPorts{clock_, keyboard_, display_, scene_, *setup.sound, *setup.replay,
                         *setup.saves, *setup.screens, *setup.dialogs},
              *setup.rng) {
    elapsed_.start();
    frameClock_.start();
    pump_.setTimerType(Qt::PreciseTimer);
    pump_.setSingleShot(true);
    connect(&pump_, &QTimer::timeout, this, [this] { Pump(); });
    frameTimer_.setTimerType(Qt::PreciseTimer);
    frameTimer_.setSingleShot(true);
    connect(&frameTimer_, &QTimer::timeout, this, [this] {
        if (running_ && !unloaded_) update();
    });
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QString::fromStdString(setup.appTitle + ": загрузка..."));
    display_.OnShutdown([this] {
        scene_.ReleaseGL();
        keyboard_.Release();
    });
    connect(this, &QOpenGLWidget::frameSwapped, this, [this] { NextFrame(); });
    screen_.SetReplayMode(setup.replayMode);
    // The champion thinks off this thread: the picture and the keys go on.
    screen_.SetPlanner(planner_);
    if (setup.relay) {
        setup.relay->Attach(screen_, m_);
        // A player who comes back sees the strikes he missed played out at once.
        setup.relay->SetInstantCatchUp(true);
    }
}

MatchWindow::~MatchWindow() {
    pump_.stop();
    frameTimer_.stop();
    // A window closed without unloading still frees its GL objects.
    if (!unloaded_ && context() != nullptr) display_.ShutdownDisplay();
}

double MatchWindow::RealMs() const {
    return setup_.clockMs ? setup_.clockMs() : static_cast<double>(elapsed_.nsecsElapsed()) / 1e6;
}

void MatchWindow::Pump() {
    if (!running_ || unloaded_) return;
    driver_.Pump(RealMs());
    // Strikes from the table go in as soon as the screen takes them.
    if (setup_.relay && !unloaded_) setup_.relay->Pump();
    if (const std::string guard = screen_.GuardReport(); !guard.empty() && setup_.logError)
        setup_.logError(guard);
    Reschedule();
}

void MatchWindow::Reschedule() {
    if (!running_ || unloaded_) {
        pump_.stop();
        return;
    }
    const std::optional<long long> due = clock_.NextDueMs();
    if (!due) {
        pump_.stop();
        return;
    }
    // Whatever fell due by now has fired, so this is at least a part of a millisecond.
    const double wait = static_cast<double>(*due) - driver_.NowMs();
    pump_.start(static_cast<int>(std::clamp(std::ceil(wait), 0.0, 60000.0)));
}

double MatchWindow::FramePeriodMs() const {
    const QScreen* s = screen();
    const double hz = s != nullptr ? s->refreshRate() : 0;
    return hz >= 20 && hz <= 500 ? 1000 / hz : 1000.0 / 60;
}

void MatchWindow::NextFrame() {
    if (!running_ || unloaded_) return;
    // With vertical sync the swap itself waited for the screen; without it
    // (software rasteriser, virtual display) the frame waits here instead.
    const double now = static_cast<double>(frameClock_.nsecsElapsed()) / 1e6;
    const double wait = frameStartMs_ + FramePeriodMs() - now;
    if (wait < 1)
        update();
    else
        frameTimer_.start(static_cast<int>(wait));
}

void MatchWindow::Start() {
    display_.ApplyWindowMode();
    QTimer::singleShot(0, this, [this] { RunInit(); });
}

void MatchWindow::RunInit() {
    if (started_) return;
    started_ = true;
    driver_.Pump(RealMs()); // the match's time starts here
    screen_.Init();
    running_ = m_.RenderOn != 0 && !screen_.InitFailed();
    if (running_) {
        Reschedule();
        activateWindow();
        setFocus();
        update();
    }
    CheckEnd();
}

void MatchWindow::OnTick(TimerId id) {
    if (!running_ || unloaded_) return;
    screen_.Tick(id);
    CheckEnd();
}

void MatchWindow::CheckEnd() {
    if (!started_ || unloaded_) return;
    if (m_.RenderOn != 0) {
        Reschedule(); // the event may have started or stopped a timer
        return;
    }
    unloaded_ = true;
    running_ = false;
    pump_.stop();
    frameTimer_.stop();
    screen_.Unload();
    keyboard_.Clear();
    hide();
    emit Finished();
}

void MatchWindow::paintGL() {
    QOpenGLFunctions* gl = context()->functions();
    if (!running_ || unloaded_ || !display_.Ready()) {
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return;
    }
    frameStartMs_ = static_cast<double>(frameClock_.nsecsElapsed()) / 1e6;
    if (display_.BindTarget()) {
        std::string error;
        // A failing frame is skipped; the loop goes on.
        if (!scene_.RenderFrame(scene_.NowMs(), screen_.Overlay(), &error) && !renderErrorLogged_) {
            renderErrorLogged_ = true;
            if (setup_.logError) setup_.logError("Ошибка вывода кадра: " + error);
        }
    }
    display_.Present(defaultFramebufferObject());
    ++frames_;
}

void MatchWindow::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
        (e->modifiers() & Qt::AltModifier) != 0) {
        if (!e->isAutoRepeat()) {
            display_.ToggleWindowed();
            keyboard_.Clear();
        }
        return;
    }
    // The key arrives at the moment it was pressed: the timers catch up first.
    Pump();
    keyboard_.KeyEvent(*e);
    if (!running_ || unloaded_) return;
    // Key-down repeats while a key is held, as the window system sends it.
    const Key k = KeyOfEvent(*e);
    const bool typing = screen_.ChatOpen();
    if (k != Key::Other) screen_.KeyDown(k);
    // Printable text goes into an open chat line instead of the keys' meanings.
    if (typing && screen_.ChatOpen() && k != Key::Enter && k != Key::Backspace &&
        !e->text().isEmpty() && e->text().at(0).isPrint())
        screen_.TypeText(e->text().toStdString());
    CheckEnd();
}

void MatchWindow::keyReleaseEvent(QKeyEvent* e) {
    Pump();
    keyboard_.KeyEvent(*e);
    if (!running_ || unloaded_ || e->isAutoRepeat()) return;
    const Key k = KeyOfEvent(*e);
    if (k != Key::Other) screen_.KeyUp(k);
    CheckEnd();
}

QPointF MatchWindow::PicturePoint(QPointF p) const {
    const qreal dpr = devicePixelRatioF();
    const QRect v = display_.ViewRect();
    if (v.width() <= 0 || v.height() <= 0) return {-1, -1};
    return {(p.x() * dpr - v.left()) * PictureWidth(m_) / v.width(),
            (p.y() * dpr - v.top()) * PictureHeight(m_) / v.height()};
}

void MatchWindow::mousePressEvent(QMouseEvent* e) {
    Pump();
    if (!running_ || unloaded_) return;
    const QPointF p = PicturePoint(e->position());
    if (e->button() == Qt::LeftButton)
        screen_.MouseDown(MouseButton::Left, p.x(), p.y());
    else if (e->button() == Qt::RightButton)
        screen_.MouseDown(MouseButton::Right, p.x(), p.y());
    CheckEnd();
}

void MatchWindow::mouseMoveEvent(QMouseEvent* e) {
    if (!running_ || unloaded_ || (e->buttons() & Qt::LeftButton) == 0) return;
    const QPointF p = PicturePoint(e->position());
    screen_.MouseMove(p.x(), p.y());
    Reschedule();
}

void MatchWindow::mouseReleaseEvent(QMouseEvent* e) {
    Pump();
    if (!running_ || unloaded_) return;
    if (e->button() == Qt::LeftButton)
        screen_.MouseUp(MouseButton::Left);
    else if (e->button() == Qt::RightButton)
        screen_.MouseUp(MouseButton::Right);
    CheckEnd();
}

void MatchWindow::wheelEvent(QWheelEvent* e) {
    e->accept();
    if (!running_ || unloaded_) return;
    // A notch is 120 eighths of a degree; finer wheels add up to whole notches.
    wheelRest_ += e->angleDelta().y();
    const int notches = wheelRest_ / 120;
    wheelRest_ -= notches * 120;
    if (notches != 0) screen_.MouseWheel(notches);
    Reschedule();
}

void MatchWindow::focusOutEvent(QFocusEvent* e) {
    keyboard_.Clear();
    QOpenGLWidget::focusOutEvent(e);
}

void MatchWindow::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && !isActiveWindow()) keyboard_.Clear();
    QOpenGLWidget::changeEvent(e);
}

void MatchWindow::closeEvent(QCloseEvent* e) {
    if (running_ && !unloaded_) {
        screen_.Abandon();
        CheckEnd();
    }
    e->accept();
}

} // namespace kv
