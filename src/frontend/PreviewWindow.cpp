// The piece preview: the model alone, turning, drawn at 640x480 by the scene
// layer and scaled to the window; Escape or closing goes back.
#include "devices/scene/MeshLoader.h"
#include "devices/scene/SceneRenderer.h"
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

using screens::PiecePreview;
using screens::ScreenId;
using namespace ui;

class PreviewView : public QOpenGLWidget {
public:
    PreviewView(GameApp& app, std::function<void(const std::string&)> failed, QWidget* parent)
        : QOpenGLWidget(parent), app_(app), failed_(std::move(failed)) {
        setFocusPolicy(Qt::StrongFocus);
    }
    ~PreviewView() override {
        if (context() == nullptr) return;
        makeCurrent();
        fbo_.reset();
        renderer_.ReleaseGL();
        doneCurrent();
    }
    // Every opening builds its scene anew.
    void Rebuild() { rebuild_ = true; }
    std::shared_ptr<scene::Frame> Piece() const { return piece_; }

protected:
    void initializeGL() override {
        std::string error;
        if (!renderer_.InitGL(error)) {
            Fail("OpenGL вернул ошибку: " + error +
                 ". Для устранения неполадки попробуйте изменить параметры графики.");
            return;
        }
        fbo_ = std::make_unique<QOpenGLFramebufferObject>(
            PiecePreview::kWidth, PiecePreview::kHeight,
            QOpenGLFramebufferObject::CombinedDepthStencil);
        if (!fbo_->isValid()) Fail("OpenGL вернул ошибку: не удалось создать буфер кадра.");
    }

    void paintGL() override {
        QOpenGLExtraFunctions* gl = context()->extraFunctions();
        if (failed || !fbo_ || !Build()) {
            gl->glClearColor(0, 0, 0, 1);
            gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            return;
        }
        piece_->SetRotationY(app_.Screens().preview.angle);
        fbo_->bind();
        renderer_.RenderScene(scene_);
        const PiecePreview& p = app_.Screens().preview;
        renderer_.RenderText({{20, 10, p.caption, false}, {20, 450, PiecePreview::kHint, false}}, 3,
                             PiecePreview::kWidth, PiecePreview::kHeight);
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
        gl->glBlitFramebuffer(0, 0, PiecePreview::kWidth, PiecePreview::kHeight, x, y, x + vw,
                              y + vh, GL_COLOR_BUFFER_BIT, GL_LINEAR);
        gl->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
        ++frames;
    }

public:
    bool failed = false;
    long frames = 0;

private:
    void Fail(const std::string& what) {
        failed = true;
        // Not from inside a paint: the window goes away on the next pass.
        QTimer::singleShot(0, this, [this, what] { failed_(what); });
    }

    bool Build() {
        if (!rebuild_) return piece_ != nullptr;
        rebuild_ = false;
        piece_.reset();
        const PiecePreview& p = app_.Screens().preview;
        const std::string& data = app_.Setup().dataDir;
        scene::AssetLoader loader(data);
        scene::LoadError err;
        bool first = true;
        const std::string relative = p.meshPath.substr(data.size());
        auto mesh = loader.LoadMesh(relative, err, first);
        if (!mesh) {
            Fail(std::to_string(err.number) + " " + err.description);
            return false;
        }
        scene_ = scene::Scene{};
        scene_.viewport.width = PiecePreview::kWidth;
        scene_.viewport.height = PiecePreview::kHeight;
        scene_.viewport.backClip = 1000;
        scene_.camera = std::make_shared<scene::Frame>();
        scene_.root->AddChild(scene_.camera);
        scene_.camera->SetPosition({-40, 20, 10});
        auto ambient = std::make_shared<scene::Light>();
        ambient->type = scene::Light::Type::Ambient;
        ambient->colour = {0.5F, 0.5F, 0.5F, 1};
        scene_.root->AddLight(ambient);
        piece_ = std::make_shared<scene::Frame>();
        scene_.root->AddChild(piece_);
        auto visual = std::make_shared<scene::Mesh>(mesh);
        visual->SetScale({0.5, 0.5, 0.5});
        piece_->AddVisual(visual);
        auto lamp = std::make_shared<scene::Frame>();
        scene_.root->AddChild(lamp);
        lamp->SetPosition({0, 50, 0});
        auto point = std::make_shared<scene::Light>();
        point->type = scene::Light::Type::Point;
        point->colour = {1, 1, 1, 1};
        lamp->AddLight(point);
        scene_.camera->LookAt(*piece_);
        renderer_.ForgetUnused(scene_);
        return true;
    }

    GameApp& app_;
    std::function<void(const std::string&)> failed_;
    scene::SceneRenderer renderer_;
    std::unique_ptr<QOpenGLFramebufferObject> fbo_;
    scene::Scene scene_;
    std::shared_ptr<scene::Frame> piece_;
    bool rebuild_ = true;
};

class PreviewWindow : public ScreenWindow {
public:
    explicit PreviewWindow(GameApp& app) : ScreenWindow(app, ScreenId::Preview) {
        auto* top = new QVBoxLayout(this);
        top->setContentsMargins(0, 0, 0, 0);
        view_ = new PreviewView(
            app,
            [this](const std::string& what) {
                timer_.stop();
                Apply(app_.Screens().preview.Failed(app_.Screens(), what));
            },
            this);
        view_->setAccessibleName(QString::fromUtf8(PiecePreview::kTitle));
        top->addWidget(view_);
        resize(PiecePreview::kWidth, PiecePreview::kHeight);
        timer_.setInterval(PiecePreview::kTickMs);
        connect(&timer_, &QTimer::timeout, this, [this] {
            app_.Screens().preview.Tick();
            view_->update();
        });
    }

    void Refresh() override {
        setWindowTitle(QString::fromUtf8(PiecePreview::kTitle));
        if (isVisible()) return;
        view_->Rebuild();
        timer_.start();
        view_->setFocus();
    }

protected:
    void hideEvent(QHideEvent* e) override {
        timer_.stop();
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
    PreviewView* view_ = nullptr;
    QTimer timer_;
};

} // namespace

std::unique_ptr<ScreenWindow> MakePreviewWindow(GameApp& app) {
    return std::make_unique<PreviewWindow>(app);
}

} // namespace kv
