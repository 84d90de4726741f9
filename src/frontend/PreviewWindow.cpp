// The piece preview: the model alone, turning, drawn at 640x480 by the scene
// layer and scaled to the window; Escape or closing goes back.
#include "devices/scene/PreviewScene.h"
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>
#include <QOpenGLWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace kv {

namespace {

using screens::Next;
using screens::PiecePreview;
using screens::ScreenId;
using namespace ui;

// One opening's display: made when the window opens, gone when it closes, so
// that every opening starts its display and builds its scene anew.
class PreviewView : public QOpenGLWidget {
public:
    PreviewView(GameApp& app, std::function<void(const Next&)> failure, QWidget* parent)
        : QOpenGLWidget(parent), app_(app), failure_(std::move(failure)) {
        setFocusPolicy(Qt::StrongFocus);
        setAccessibleName(QString::fromUtf8(PiecePreview::kTitle));
    }
    ~PreviewView() override {
        if (context() == nullptr) return;
        makeCurrent();
        fbo_.reset();
        renderer_.ReleaseGL();
        modern_.ReleaseGL();
        doneCurrent();
    }
    // A context that cannot be made never reaches initializeGL.
    void CheckStarted() {
        if (!isValid() && !failed_)
            Fail([](GameApp& a) {
                return a.Screens().preview.DisplayFailed(a.Screens(), "контекст OpenGL не создан");
            });
    }

protected:
    void initializeGL() override {
        std::string error;
        modernLook_ = app_.State().Graphics == kGraphicsModern;
        if (!(modernLook_ ? modern_.InitGL(error) : renderer_.InitGL(error)))
            return DisplayFailed(error);
        // A single piece at 640x480: every effect fits any renderer.
        modern_.SetQuality(scene::Quality{0, 1024, true, true});
        fbo_ = std::make_unique<QOpenGLFramebufferObject>(
            scene::PreviewScene::kWidth, scene::PreviewScene::kHeight,
            QOpenGLFramebufferObject::CombinedDepthStencil);
        if (!fbo_->isValid()) return DisplayFailed("не удалось создать буфер кадра");
        window()->setWindowTitle(QString::fromUtf8(PiecePreview::kBuildingTitle));
        scene::LoadError err;
        if (!scene_.Build(app_.Setup().dataDir, app_.Screens().preview.meshPath, err, modernLook_))
            return Fail([err](GameApp& a) {
                return a.Screens().preview.SceneFailed(a.Screens(), err.number, err.description);
            });
        built_ = true;
        window()->setWindowTitle(QString::fromUtf8(PiecePreview::kTitle));
    }

    void paintGL() override {
        QOpenGLExtraFunctions* gl = context()->extraFunctions();
        if (!built_) {
            gl->glClearColor(0, 0, 0, 1);
            gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            return;
        }
        const PiecePreview& p = app_.Screens().preview;
        fbo_->bind();
        if (modernLook_)
            scene_.Render(modern_, p.angle, p.Texts(), PiecePreview::kTextColour);
        else
            scene_.Render(renderer_, p.angle, p.Texts(), PiecePreview::kTextColour);
        const qreal dpr = devicePixelRatioF();
        const int w = qRound(width() * dpr), h = qRound(height() * dpr);
        gl->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, defaultFramebufferObject());
        gl->glViewport(0, 0, w, h);
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        gl->glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_->handle());
        // 4:3 in the middle of the window, whatever its shape.
        const int vw = std::min(w, h * 4 / 3), vh = vw * 3 / 4;
        const int x = (w - vw) / 2, y = (h - vh) / 2;
        gl->glBlitFramebuffer(0, 0, scene::PreviewScene::kWidth, scene::PreviewScene::kHeight, x, y,
                              x + vw, y + vh, GL_COLOR_BUFFER_BIT, GL_LINEAR);
        gl->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
    }

private:
    void DisplayFailed(const std::string& error) {
        Fail([error](GameApp& a) { return a.Screens().preview.DisplayFailed(a.Screens(), error); });
    }
    // Not from inside a paint: the window goes away on the next pass.
    void Fail(std::function<Next(GameApp&)> report) {
        failed_ = true;
        QTimer::singleShot(0, this, [this, report] { failure_(report(app_)); });
    }

    GameApp& app_;
    std::function<void(const Next&)> failure_;
    scene::SceneRenderer renderer_;
    scene::ModernRenderer modern_;
    bool modernLook_ = false;
    std::unique_ptr<QOpenGLFramebufferObject> fbo_;
    scene::PreviewScene scene_;
    bool built_ = false;
    bool failed_ = false;
};

class PreviewWindow : public ScreenWindow {
public:
    explicit PreviewWindow(GameApp& app) : ScreenWindow(app, ScreenId::Preview, Frame::Bare) {
        layout_ = new QVBoxLayout(this);
        layout_->setContentsMargins(0, 0, 0, 0);
        resize(scene::PreviewScene::kWidth, scene::PreviewScene::kHeight);
        timer_.setInterval(PiecePreview::kTickMs);
        connect(&timer_, &QTimer::timeout, this, [this] {
            app_.Screens().preview.Tick();
            if (view_ != nullptr) view_->update();
        });
    }

    void Refresh() override {
        if (isVisible()) return;
        // About to open: a display of its own for this opening.
        setWindowTitle(QString::fromUtf8(PiecePreview::kStartingTitle));
        CloseView();
        view_ = new PreviewView(
            app_,
            [this](const Next& n) {
                timer_.stop();
                Apply(n);
            },
            this);
        layout_->addWidget(view_);
        timer_.start();
        view_->setFocus();
        QTimer::singleShot(1000, view_, [v = view_] { v->CheckStarted(); });
    }

protected:
    void hideEvent(QHideEvent* e) override {
        // Minimised, it keeps its display and goes on turning.
        if (!e->spontaneous()) {
            timer_.stop();
            CloseView();
        }
        ScreenWindow::hideEvent(e);
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape) {
            timer_.stop();
            Apply(app_.Screens().preview.Escape());
            return;
        }
        ScreenWindow::keyPressEvent(e);
    }

private:
    // Its own code may still be running (a failure it reported): it goes later.
    void CloseView() {
        if (view_ == nullptr) return;
        view_->hide();
        view_->deleteLater();
        view_ = nullptr;
    }

    QVBoxLayout* layout_ = nullptr;
    PreviewView* view_ = nullptr;
    QTimer timer_;
};

} // namespace

std::unique_ptr<ScreenWindow> MakePreviewWindow(GameApp& app) {
    return std::make_unique<PreviewWindow>(app);
}

} // namespace kv
